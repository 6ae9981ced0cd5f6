#pragma once

#include <QObject>
#include <QString>

class DownloadedSearch;
class ItemList;
class ListFile;
class StatusLog;

// Gives selected downloaded items a new item number: the first press of
// "修改货号" opens the box, the second applies what was typed (numbered
// through with "_1", "_2"… when several entries are selected; a typed "|"
// becomes "｜" and a control character a blank). Only the list entries
// change; the item folders stay as they are. The box's text, visibility and
// the button's caption live here; the window shows them. The box and the
// search's box stand in the same place: one opening closes the other.
class ItemNumberEdit : public QObject
{
    Q_OBJECT
public:
    static QString hintText() { return QStringLiteral("请输入新货号"); }
    static QString restingCaption() { return QStringLiteral("修改货号"); }
    static QString openCaption() { return QStringLiteral("确定修改"); }

    ItemNumberEdit(ItemList &downloaded, ListFile &listFile, DownloadedSearch &search, StatusLog &log,
                   QObject *parent = nullptr);

    QString caption() const { return m_boxVisible ? openCaption() : restingCaption(); }
    bool isBoxVisible() const { return m_boxVisible; }
    QString NewBabyNumText() const { return m_text; }
    void setNewBabyNumText(const QString &text);

    void EditBabyNumCmd_Click();
    // Esc in the box: it goes with what was typed in it, and no entry changes.
    void closeBox();
    // The box got the focus: the hint makes way for typing.
    void NewBabyNumText_GotFocus();

signals:
    void changed();

private:
    void apply(const QString &number);

    ItemList &m_downloaded;
    ListFile &m_listFile;
    DownloadedSearch &m_search;
    StatusLog &m_log;
    QString m_text;
    bool m_boxVisible = false;
};
