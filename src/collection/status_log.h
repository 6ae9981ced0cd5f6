#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

// The general date-and-time form of the log and the info file, e.g. 2026/12/6 11:23:32.
QString formatLogTime(const QDateTime &when);

// The status log the user reads: newest line first, each line ending in CR LF.
// The window shows text(); the headless runner prints lineAdded.
class StatusLog : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // AddMesg: prepends "<date time> <message>\r\n"; an empty message is ignored.
    void AddMesg(const QString &message);

    const QString &text() const { return m_text; }
    void setText(const QString &text);

signals:
    // One line as it was added, without its line end.
    void lineAdded(const QString &line);
    void textChanged(const QString &text);

private:
    QString m_text;
};
