#include "lists/item_lines.h"

#include <QStringList>

namespace {

const QChar Separator = QLatin1Char('|');

QString field(const QStringList &fields, qsizetype index)
{
    return fields.value(index);
}

} // namespace

QString UrlInputLine::toString() const
{
    return address + Separator + itemNo;
}

PendingLine PendingLine::parse(const QString &line)
{
    const QStringList fields = line.split(Separator);
    PendingLine pending;
    pending.itemNo = field(fields, 0);
    pending.address = field(fields, 1);
    pending.hasAddress = fields.size() > 1;
    pending.sentBack = fields.indexOf(SentBackMarker, 2) >= 0;
    pending.interrupted = fields.indexOf(InterruptedMarker, 2) >= 0;
    return pending;
}

QString PendingLine::toString() const
{
    if (!hasAddress)
        return itemNo;
    QString line = itemNo + Separator + address;
    if (!marker.isEmpty())
        line += Separator + marker;
    if (sentBack)
        line += Separator + SentBackMarker;
    return line;
}

DownloadedLine DownloadedLine::parse(const QString &line)
{
    const QStringList fields = line.split(Separator);
    return DownloadedLine{field(fields, 0), field(fields, 1), field(fields, 2), field(fields, 3)};
}

QString DownloadedLine::toString() const
{
    return itemNo + Separator + title + Separator + folder + Separator + address;
}
