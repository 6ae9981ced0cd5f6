#include "shop/watch_list.h"

#include "collection/marketplace.h"
#include "platform/files/text_file.h"

#include <QDir>
#include <QUrl>

namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString ShopHeader = QStringLiteral("<Shop>");

QString timeText(const QDateTime &when)
{
    return when.isValid() ? when.toString(TimeFormat) : QString();
}

QString trimmedAddress(const QString &address)
{
    QString a = address.trimmed();
    while (a.endsWith(QLatin1Char('/')))
        a.chop(1);
    return a;
}

} // namespace

WatchList::WatchList(const QString &programFolder)
    : m_path(QDir(programFolder).filePath(fileName()))
{
}

QString WatchList::shopKey(const QString &address)
{
    const QString key = Marketplace::pageKey(address);
    return key.section(QLatin1Char('/'), 0, 0);
}

std::optional<QString> WatchList::shopAddress(const QString &pageAddress)
{
    const QUrl url = QUrl::fromUserInput(pageAddress.trimmed());
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != u"http" && url.scheme() != u"https"))
        return std::nullopt;
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString(QUrl::FullyEncoded);
}

QString WatchList::format(const QList<WatchedShop> &shops)
{
    QStringList lines;
    for (const WatchedShop &s : shops) {
        lines << ShopHeader << QStringLiteral("Address=") + s.address << QStringLiteral("Name=") + s.name
              << QStringLiteral("Added=") + timeText(s.added) << QStringLiteral("LastCheck=") + timeText(s.lastCheck)
              << QStringLiteral("WithExisting=") + QString::number(s.withExisting ? 1 : 0)
              << QStringLiteral("LastNew=") + QString::number(s.lastNew)
              << QStringLiteral("LastGone=") + QString::number(s.lastGone)
              << QStringLiteral("LastFailure=") + QString(s.lastFailure).replace(QLatin1Char('\n'), QLatin1Char(' '));
        for (const QString &item : s.items)
            lines << QStringLiteral("Item=") + item;
        for (const QString &item : s.queued)
            lines << QStringLiteral("Queued=") + item;
    }
    return lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QList<WatchedShop> WatchList::parse(const QString &text)
{
    QList<WatchedShop> shops;
    for (const QString &line : splitLines(text)) {
        if (line == ShopHeader) {
            shops.append(WatchedShop{});
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (shops.isEmpty() || equals < 0)
            continue;
        WatchedShop &s = shops.last();
        const QStringView key = QStringView(line).left(equals);
        const QString value = line.mid(equals + 1);
        if (key == u"Address")
            s.address = value;
        else if (key == u"Name")
            s.name = value;
        else if (key == u"Added")
            s.added = QDateTime::fromString(value, TimeFormat);
        else if (key == u"LastCheck")
            s.lastCheck = QDateTime::fromString(value, TimeFormat);
        else if (key == u"WithExisting")
            s.withExisting = value == u"1";
        else if (key == u"LastNew")
            s.lastNew = value.toInt();
        else if (key == u"LastGone")
            s.lastGone = value.toInt();
        else if (key == u"LastFailure")
            s.lastFailure = value;
        else if (key == u"Item" && !value.isEmpty())
            s.items << value;
        else if (key == u"Queued" && !value.isEmpty())
            s.queued << value;
    }
    // A block without an address names no shop.
    shops.removeIf([](const WatchedShop &s) { return shopKey(s.address).isEmpty(); });
    return shops;
}

QList<WatchedShop> WatchList::shops() const
{
    return parse(readLocalTextFile(m_path).value_or(QString()));
}

bool WatchList::write(const QList<WatchedShop> &shops, QString *error)
{
    return writeLocalTextFile(m_path, format(shops), error);
}

WatchList::Change WatchList::add(const QString &address, bool withExisting, const QDateTime &now, QString *message)
{
    const std::optional<QString> shop = shopAddress(address);
    if (!shop || !address.contains(QLatin1Char('.'))) {
        *message = QStringLiteral("不是店铺地址:") + address.trimmed();
        return Change::BadAddress;
    }
    QList<WatchedShop> all = shops();
    const QString key = shopKey(*shop);
    for (const WatchedShop &s : all) {
        if (shopKey(s.address) == key) {
            *message = QStringLiteral("店铺") + s.name + QStringLiteral("已在监控中:") + s.address;
            return Change::AlreadyThere;
        }
    }
    WatchedShop added;
    added.address = trimmedAddress(*shop);
    added.name = Marketplace::shopName(added.address);
    added.added = now;
    added.withExisting = withExisting;
    all.append(added);
    QString error;
    if (!write(all, &error)) {
        *message = QStringLiteral("加入监控失败,原因:") + error;
        return Change::NotWritten;
    }
    *message = QStringLiteral("已加入店铺上新监控:") + added.name + QStringLiteral(" ") + added.address
        + (withExisting ? QStringLiteral(",下次检查采集店铺现有宝贝") : QStringLiteral(",下次检查记录现有宝贝,之后采集新宝贝"));
    return Change::Done;
}

WatchList::Change WatchList::remove(const QString &address, QString *message)
{
    QList<WatchedShop> all = shops();
    const QString key = shopKey(address);
    const qsizetype at = key.isEmpty() ? -1 : std::find_if(all.cbegin(), all.cend(), [&](const WatchedShop &s) {
        return shopKey(s.address) == key;
    }) - all.cbegin();
    if (at < 0 || at >= all.size()) {
        *message = QStringLiteral("该店铺不在监控中:") + address.trimmed();
        return Change::NotThere;
    }
    const WatchedShop gone = all.takeAt(at);
    QString error;
    if (!write(all, &error)) {
        *message = QStringLiteral("移除监控失败,原因:") + error;
        return Change::NotWritten;
    }
    *message = QStringLiteral("已移除店铺上新监控:") + gone.name + QStringLiteral(" ") + gone.address;
    return Change::Done;
}

bool WatchList::update(const QList<WatchedShop> &checked, QString *error)
{
    QList<WatchedShop> all = shops();
    for (WatchedShop &s : all) {
        const QString key = shopKey(s.address);
        for (const WatchedShop &c : checked) {
            if (shopKey(c.address) == key) {
                s = c;
                break;
            }
        }
    }
    return write(all, error);
}

bool WatchList::noteQueued(const QList<WatchedShop> &shops, QString *error)
{
    QList<WatchedShop> all = this->shops();
    for (WatchedShop &s : all) {
        for (const WatchedShop &q : shops) {
            if (shopKey(q.address) == shopKey(s.address))
                s.queued = q.queued;
        }
    }
    return write(all, error);
}
