#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <deque>

// The general date-and-time form of the log and the info file, e.g. 2026/12/6 11:23:32.
QString formatLogTime(const QDateTime &when);

// The status log the user reads: newest line first, each line ending in CR LF.
// Lines are kept one by one, so adding one costs the same however long the log
// has grown; past the cap the oldest lines go. The window and the headless
// runner follow lineAdded.
class StatusLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultMaxLines = 10000;

    explicit StatusLog(QObject *parent = nullptr) : StatusLog(DefaultMaxLines, parent) {}
    StatusLog(int maxLines, QObject *parent = nullptr);

    // AddMesg: prepends "<date time> <message>\r\n"; an empty message is ignored.
    void AddMesg(const QString &message);
    // A line about one item: its number, the message text and its address,
    // written together without separators.
    void AddItemMesg(const QString &itemNo, const QString &text, const QString &address)
    {
        AddMesg(itemNo + text + address);
    }

    int maxLines() const { return m_maxLines; }
    int lineCount() const { return int(m_lines.size()); }
    // Line `row` counted from the newest (row 0), without its line end.
    QString line(int row) const;
    // The whole log as the box shows it, newest line first. Built on each call.
    QString text() const;

signals:
    // One line as it was added, without its line end.
    void lineAdded(const QString &line);

private:
    int m_maxLines;
    std::deque<QString> m_lines; // oldest first
};
