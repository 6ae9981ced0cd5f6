#include "shop/watch_report.h"

#include <QStringList>

#include <numeric>

int ShopCheckReport::collected() const
{
    return int(std::count_if(fresh.cbegin(), fresh.cend(), [](const NewItem &i) { return !i.folder.isEmpty(); }));
}

int WatchReport::newCount() const
{
    return std::accumulate(shops.cbegin(), shops.cend(), 0, [](int n, const ShopCheckReport &s) { return n + int(s.fresh.size()); });
}

int WatchReport::goneCount() const
{
    return std::accumulate(shops.cbegin(), shops.cend(), 0, [](int n, const ShopCheckReport &s) { return n + int(s.gone.size()); });
}

int WatchReport::unreadCount() const
{
    return int(std::count_if(shops.cbegin(), shops.cend(), [](const ShopCheckReport &s) { return !s.read(); }));
}

QString WatchReport::recordBlock() const
{
    QStringList lines;
    lines << QStringLiteral("[%1] 店铺上新检查:%2个店铺,%3个新宝贝,%4个下架,%5个店铺无法读取")
                 .arg(started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                 .arg(shops.size())
                 .arg(newCount())
                 .arg(goneCount())
                 .arg(unreadCount());
    for (const ShopCheckReport &s : shops) {
        const QString head = s.name + QLatin1Char(' ') + s.address;
        if (!s.read()) {
            lines << QStringLiteral("[无法读取] ") + head + QStringLiteral(" 原因:") + s.failure
                         + QStringLiteral(",保留上次记录");
            continue;
        }
        if (s.baseline) {
            lines << QStringLiteral("[店铺] ") + head + QStringLiteral(" 首次检查,记录现有宝贝%1个").arg(s.listed);
            continue;
        }
        QString summary = QStringLiteral("[店铺] ") + head
            + QStringLiteral(" 共%1个宝贝,新宝贝%2个(已采集%3个),下架%4个").arg(s.listed).arg(s.fresh.size()).arg(s.collected()).arg(s.gone.size());
        if (s.relisted > 0)
            summary += QStringLiteral(",重新上架%1个(已下载过)").arg(s.relisted);
        lines << summary;
        for (const ShopCheckReport::NewItem &item : s.fresh) {
            if (item.folder.isEmpty())
                lines << QStringLiteral("新宝贝(未采集)||||") + item.address;
            else
                lines << QStringLiteral("新宝贝|") + item.title + QLatin1Char('|') + item.itemNo + QLatin1Char('|')
                        + item.folder + QLatin1Char('|') + item.address;
        }
        for (const ShopCheckReport::GoneItem &item : s.gone)
            lines << QStringLiteral("下架|") + item.address + QLatin1Char('|') + item.title;
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString WatchReport::notificationSummary() const
{
    return QStringLiteral("店铺上新:%1个新宝贝").arg(newCount());
}

QString WatchReport::notificationBody() const
{
    QStringList lines;
    for (const ShopCheckReport &s : shops) {
        if (!s.fresh.isEmpty())
            lines << QStringLiteral("%1: %2个新宝贝,已采集%3个").arg(s.name).arg(s.fresh.size()).arg(s.collected());
    }
    if (const int unread = unreadCount())
        lines << QStringLiteral("%1个店铺无法读取").arg(unread);
    return lines.join(QLatin1Char('\n'));
}
