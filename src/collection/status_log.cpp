#include "collection/status_log.h"

QString formatLogTime(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy/M/d H:mm:ss"));
}

void StatusLog::AddMesg(const QString &message)
{
    if (message.isEmpty())
        return;
    const QString line = formatLogTime(QDateTime::currentDateTime()) + QLatin1Char(' ') + message;
    m_text.prepend(line + QStringLiteral("\r\n"));
    emit lineAdded(line);
    emit textChanged(m_text);
}

void StatusLog::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    emit textChanged(m_text);
}
