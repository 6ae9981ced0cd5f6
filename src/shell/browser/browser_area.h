#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QWebEnginePage>

#include <functional>

class FolderPicker;
class QListWidget;
class QPushButton;
class QTabBar;
class QWebEngineView;
class QWidget;
class TabBook;

// The browser area's controls, children of the window's client area: the tab
// strip TabStrip1 with the close button Close_B, one browser WebBrowser1(k)
// with its message line mesg(k) per tab, and the collector's view
// PickWebBro(0) behind the tab strip. The collector's view stays a shown
// widget: a page that was never shown gets no scroll events.
//
// The tabs follow a TabBook: its signals create, discard and select the
// views; the strip's clicks and releases, "×" and the pages' titles and
// new-window requests go to it.
class BrowserArea : public QObject
{
    Q_OBJECT
public:
    BrowserArea(QWidget *client, QWebEngineView *collectorView, TabBook &book, const QString &homePage);

    QTabBar *tabStrip() const { return m_tabStrip; }
    QPushButton *closeButton() const { return m_close; }
    QWebEngineView *collectorView() const { return m_collector; }
    // The browser of a tab; nothing when no tab shows that index.
    QWebEngineView *view(qint16 index) const;
    QWebEngineView *currentView() const;
    QListWidget *message(qint16 index) const;
    // A page of one of the tabs (not the collector's).
    bool isTabPage(const QWebEnginePage *page) const;

    // The design sizes the layout keeps: the close button's and the message line's height.
    void setDesignSizes(int closeButtonPixels, int messageLinePixels);
    // The first tab's start page.
    void openFirstTab();
    // File inputs on the tabs' pages ask this chooser, starting in `startFolder`;
    // without one they get nothing.
    void setFileChooser(FolderPicker &picker, std::function<QString()> startFolder);

    // What the address bar shows for a page: a view nothing has navigated yet is blank.
    static QString addressText(const QUrl &url);

signals:
    // The current tab's page is at this address (it was selected, or it moved).
    void currentAddressChanged(const QString &address);
    // A tab was selected: the window caption becomes its page's title.
    void currentTitleShown(const QString &title);

protected:
    // Mouse releases over the tab strip: the double-click-to-close rule.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Tab
    {
        QWebEngineView *view = nullptr;
        QListWidget *message = nullptr;
    };

    void addTab(int position, qint16 index, const QString &key);
    void createView(qint16 index);
    void removeTab(int position, qint16 index);
    void select(int position, qint16 index);
    // A page asks for a new window: a new tab, which becomes current, takes it.
    QWebEnginePage *openNewWindow();
    // A page's file input asks for files (or a folder to upload).
    QStringList chooseFiles(QWebEnginePage::FileSelectionMode mode) const;

    TabBook &m_book;
    QString m_homePage;
    QTabBar *m_tabStrip;
    QPushButton *m_close;
    QWebEngineView *m_collector;
    QHash<qint16, Tab> m_tabs;
    int m_messageHeight = 0;
    FolderPicker *m_picker = nullptr;
    std::function<QString()> m_startFolder;
};
