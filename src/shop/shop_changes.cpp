#include "shop/shop_changes.h"

#include "collection/marketplace.h"
#include "shop/watch_list.h"

#include <QSet>

ShopChanges ShopChanges::compare(const QStringList &walked, const WatchedShop &last,
                                 const std::function<bool(const QString &)> &downloaded)
{
    ShopChanges changes;
    QSet<QString> seen;
    for (const QString &address : walked) {
        const QString key = Marketplace::pageKey(address);
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        changes.listed << address;
    }
    QSet<QString> before;
    for (const QString &address : last.items)
        before.insert(Marketplace::pageKey(address));
    QSet<QString> queued;
    for (const QString &address : last.queued)
        queued.insert(Marketplace::pageKey(address));
    const bool baseline = !last.recorded();
    if (baseline && !last.withExisting)
        return changes;
    for (qsizetype i = 0; i < changes.listed.size(); ++i) {
        const QString &address = changes.listed.at(i);
        if (before.contains(Marketplace::pageKey(address)))
            continue;
        const Item item{address, int(i + 1)};
        if (!downloaded(address) || queued.contains(Marketplace::pageKey(address)))
            changes.fresh << item;
        else if (!baseline)
            changes.relisted << item;
    }
    for (const QString &address : last.items) {
        if (!seen.contains(Marketplace::pageKey(address)))
            changes.gone << address;
    }
    return changes;
}

void ShopChanges::keepListed(const QStringList &addresses)
{
    for (const QString &address : addresses) {
        if (gone.removeAll(address) > 0)
            listed << address;
    }
}
