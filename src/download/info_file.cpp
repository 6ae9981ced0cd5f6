#include "download/info_file.h"

#include "collection/status_log.h"
#include "platform/files/text_file.h"

namespace {

const QString ItemNoLabel = QStringLiteral("宝贝货号：");
const QString TitleLabel = QStringLiteral("宝贝标题：");
const QString AddressLabel = QStringLiteral("宝贝链接：");
const QString DateLabel = QStringLiteral("采集日期：");
const QString AttributesLabel = QStringLiteral("宝贝属性：");

} // namespace

QString infoFileText(const ItemRecord &item, const QString &title, const QDateTime &when)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = ItemNoLabel + item.PickItemNo + crlf
        + TitleLabel + title + crlf
        + AddressLabel + item.PickUrl + crlf
        + DateLabel + formatLogTime(when) + crlf
        + AttributesLabel + crlf;
    for (const AttributePair &attribute : item.AttrList)
        text += attribute.first + QLatin1Char(':') + attribute.second + crlf;
    return text;
}

std::optional<InfoFile> parseInfoFile(const QString &text)
{
    const QStringList lines = splitLines(text);
    if (lines.isEmpty() || !lines.first().startsWith(ItemNoLabel))
        return std::nullopt;
    InfoFile info;
    const std::pair<const QString &, QString &> labelled[] = {
        {ItemNoLabel, info.itemNo}, {TitleLabel, info.title}, {AddressLabel, info.address}, {DateLabel, info.date}};
    bool inAttributes = false;
    for (const QString &line : lines) {
        if (inAttributes) {
            const qsizetype colon = line.indexOf(QLatin1Char(':'));
            if (colon >= 0)
                info.attributes.append({line.left(colon), line.mid(colon + 1)});
            continue;
        }
        if (line == AttributesLabel) {
            inAttributes = true;
            continue;
        }
        for (const auto &[label, field] : labelled) {
            if (line.startsWith(label)) {
                field = line.mid(label.size());
                break;
            }
        }
    }
    return info;
}
