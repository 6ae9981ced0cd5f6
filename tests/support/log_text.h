#pragma once

#include "collection/status_log.h"

#include <QString>
#include <QStringList>

#include <algorithm>

// A UTF-16 literal as a QString: S(u"宝贝").
inline QString S(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// The status log's lines, oldest first, without their date and time.
inline QStringList logMessages(const StatusLog &log)
{
    QStringList lines = log.text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    std::reverse(lines.begin(), lines.end());
    for (QString &line : lines)
        line = line.section(QLatin1Char(' '), 2);
    return lines;
}

// The messages about one item, oldest first, without its number in front.
inline QStringList itemLogLines(const StatusLog &log, const QString &itemNo)
{
    QStringList lines;
    for (const QString &line : logMessages(log)) {
        if (line.startsWith(itemNo + QStringLiteral("采集中:")))
            lines << line.mid(itemNo.size());
    }
    return lines;
}
