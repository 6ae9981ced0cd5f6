#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class Prompts;

// The bookkeeping of the browser tabs, without widgets: which browser index
// each tab shows (TabList, 1-based positions), which one is current, opening
// with the smallest free index, the close rule, captions, stepping and the
// double-click-to-close window. The browser area follows the signals: it
// creates and discards the views and mirrors the tab strip.
class TabBook : public QObject
{
    Q_OBJECT
public:
    static constexpr int BrowserCount = 256;
    static constexpr int Timer2IntervalMs = 5000;

    struct Tab
    {
        qint16 index = 0;
        QString key;
    };

    // `pickBusy` tells whether a browser index is held by the batch collector.
    TabBook(std::function<bool(qint16)> pickBusy, Prompts &prompts, int timer2Ms = Timer2IntervalMs,
            QObject *parent = nullptr);

    // "t0" for the tab that exists from the start; "<index>t" for the others.
    static QString tabKey(qint16 index);
    // The tab's caption for a page title: CleanName of its first five characters.
    static QString tabCaption(const QString &title);

    QList<qint16> TabList() const;
    const QList<Tab> &tabs() const { return m_tabs; }
    qint16 CurBrowserIndex() const { return m_current; }
    bool isCurrent(qint16 index) const { return index == m_current; }
    // 1-based position of the current tab; 0 when it has none.
    int currentPosition() const;
    int count() const { return int(m_tabs.size()); }

    // NewP: opens a tab on the smallest browser index not in use and selects
    // it. Nothing when all indexes are taken.
    std::optional<qint16> NewP();
    // Close_B_Click: closes the current tab; the last tab stays and goes home.
    void Close_B_Click();
    // TabStrip1_Click: the tab at the 1-based position was selected.
    bool TabStrip1_Click(int position);
    // "<" and ">": select the neighbour; false at the ends.
    bool goback_Click();
    bool GoForward_Click();
    // A mouse button came up over the tab strip with this tab selected.
    void TabStrip1_MouseUp(int selectedPosition);
    // The double-click window ends.
    void Timer2_Timer();
    bool isTimer2Active() const { return m_timer2.isActive(); }
    // WebBrowser1_TitleChange.
    void WebBrowser1_TitleChange(qint16 index, const QString &title);

signals:
    // Create the view and mesg line of `index` and add its tab at `position`.
    void tabOpened(int position, qint16 index, const QString &key);
    // Remove the tab at `position` and discard the view of `index`.
    void tabClosed(int position, qint16 index);
    // Select the tab at `position`, bring its view to the front with the
    // focus, and take the address bar and the window caption from its page.
    void currentChanged(int position, qint16 index);
    // Navigate the view of `index` to the marketplace's home page.
    void sendHome(qint16 index);
    void windowCaptionChanged(const QString &caption);
    void tabCaptionChanged(int position, const QString &caption);

private:
    std::function<bool(qint16)> m_pickBusy;
    Prompts &m_prompts;
    QList<Tab> m_tabs;
    qint16 m_current = 0;
    QTimer m_timer2;
    qint16 m_timer2Tab = -1; // the tab whose release started the window
};
