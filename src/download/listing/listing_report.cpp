#include "download/listing/listing_report.h"

#include "download/listing/listing_folder.h"

#include <QDir>
#include <QFileInfo>

namespace ListingReport {

namespace {

// In angle brackets, as the log quotes an item: its title is the page's words, not the program's.
QString itemName(const DownloadedLine &line)
{
    QString name = QString(line.itemNo + u' ' + line.title).trimmed();
    if (name.isEmpty())
        name = QFileInfo(line.folder).fileName();
    return u'<' + name + u'>';
}

} // namespace

QString itemText(const ListingOutcome &outcome)
{
    const QString name = itemName(outcome.line);
    switch (outcome.state) {
    case ListingOutcome::State::Failed:
        return QStringLiteral("上架图未能做出") + name + QStringLiteral(",原因:") + outcome.error;
    case ListingOutcome::State::Stopped:
        return QStringLiteral("上架图已取消") + name;
    case ListingOutcome::State::Made:
        break;
    }
    const QString folder = QDir::toNativeSeparators(QDir(outcome.line.folder).filePath(ListingFolder::name()));
    QString text = QStringLiteral("上架图已做好%1:主图%2张、描述图%3张,在<%4>")
                       .arg(name)
                       .arg(outcome.mainFiles)
                       .arg(outcome.descFiles)
                       .arg(folder);
    if (!outcome.skipped.isEmpty())
        text += QStringLiteral(";未能读取、已略过:") + outcome.skipped.join(QStringLiteral("、"));
    if (!outcome.overLimit.isEmpty())
        text += QStringLiteral(";降到最低质量仍超过大小上限:") + outcome.overLimit.join(QStringLiteral("、"));
    return text;
}

QString tallyText(const ListingTally &tally)
{
    QString text = (tally.stopped > 0 ? QStringLiteral("上架图已取消:") : QStringLiteral("上架图完成:"))
        + QStringLiteral("%1个宝贝已做好").arg(tally.made);
    if (tally.withNotes > 0)
        text += QStringLiteral("(其中%1个有图片略过或超过大小上限)").arg(tally.withNotes);
    if (tally.failed > 0)
        text += QStringLiteral(",%1个未能做出").arg(tally.failed);
    if (tally.stopped > 0)
        text += QStringLiteral(",%1个未做").arg(tally.stopped);
    return text;
}

} // namespace ListingReport
