#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class ItemList;
class StatusLog;

// The search over the downloaded list with its keyword box, whose text and
// visibility are kept here so the window only shows them. A call while the
// box is hidden repeats the last keyword: that is how every change of the
// downloaded list moves the hits along. The box's hint is never a keyword.
class DownloadedSearch : public QObject
{
    Q_OBJECT
public:
    // The keyword box's resting text.
    static QString hintText();

    DownloadedSearch(ItemList &downloaded, StatusLog &log, QObject *parent = nullptr);

    QString FindStrText() const;
    void setFindStrText(const QString &text);
    bool isFindStrTextVisible() const;
    void setFindStrTextVisible(bool visible);
    // Esc: the box goes with what was typed in it, searching nothing; the
    // stored keyword stays.
    void closeBox();

    // A new search with the box's text when the box is visible, otherwise a
    // repeat of the stored keyword (nothing when there is none). The first
    // hit becomes the only selected entry: for searches and commands the user runs.
    void FindADLSub();
    // The list changed without the user asking (an item finished): the stored
    // keyword's hits follow the list, while the user's selection and the box,
    // typing included, stay as they are.
    void refreshHits();

    void FindADLCmd_Click();
    void FindNextCmd_Click();
    void FindUpCmd_Click();
    void FindStrText_KeyPress(int keyCode);
    void FindStrText_MouseDown();

    QString ustrFindStr() const;
    // The hits' positions as decimal text; hit k is element k - 1.
    QStringList ucolFindIndex() const;
    // The current hit, 1-based.
    int ulngCurFindIndex() const;

signals:
    void findStrTextChanged(const QString &text);
    void findStrTextVisibleChanged(bool visible);

private:
    // Finds the stored keyword's hits and logs them; the number of hits.
    int findHits();
    int hitPosition(int hit) const;
    void logCurrentHit();

    ItemList &m_downloaded;
    StatusLog &m_log;
    QString m_findStrText;
    bool m_findStrTextVisible = false;
    QString m_ustrFindStr;
    QStringList m_ucolFindIndex;
    int m_ulngCurFindIndex = 0;
};
