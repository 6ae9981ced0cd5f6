#include "download/info_file.h"

#include "collection/status_log.h"

QString infoFileText(const ItemRecord &item, const QString &title, const QDateTime &when)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("宝贝货号：") + item.PickItemNo + crlf
        + QStringLiteral("宝贝标题：") + title + crlf
        + QStringLiteral("宝贝链接：") + item.PickUrl + crlf
        + QStringLiteral("采集日期：") + formatLogTime(when) + crlf
        + QStringLiteral("宝贝属性：") + crlf;
    for (const AttributePair &attribute : item.AttrList)
        text += attribute.first + QLatin1Char(':') + attribute.second + crlf;
    return text;
}
