#include "collection/status_log.h"

#include <algorithm>

QString formatLogTime(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy/M/d H:mm:ss"));
}

StatusLog::StatusLog(int maxLines, QObject *parent)
    : QObject(parent)
    , m_maxLines(std::max(1, maxLines))
{
}

void StatusLog::AddMesg(const QString &message)
{
    if (message.isEmpty())
        return;
    const QString line = formatLogTime(QDateTime::currentDateTime()) + QLatin1Char(' ') + message;
    m_lines.push_back(line);
    if (int(m_lines.size()) > m_maxLines)
        m_lines.pop_front();
    emit lineAdded(line);
}

QString StatusLog::line(int row) const
{
    if (row < 0 || row >= lineCount())
        return QString();
    return m_lines.at(m_lines.size() - 1 - size_t(row));
}

QString StatusLog::text() const
{
    QString text;
    for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it)
        text += *it + QStringLiteral("\r\n");
    return text;
}
