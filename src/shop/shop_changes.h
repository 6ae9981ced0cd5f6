#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct WatchedShop;

// What a walk of a shop's offer list shows against the shop's last record and
// the downloaded list. Addresses count as one item when their page keys agree
// (Marketplace::pageKey): scheme, case of the host and tracking queries aside.
struct ShopChanges
{
    struct Item
    {
        QString address;
        int position = 0; // 1-based, in the shop's list as walked: the "#k" of its item number
    };
    // The shop's list as walked, each item once: the next record.
    QStringList listed;
    // Listed now, not last time, never downloaded: to be collected. Also one
    // a check cut short had queued and collected: it is new all the same.
    QList<Item> fresh;
    // Listed now, not last time, downloaded before: back on sale, not collected again.
    QList<Item> relisted;
    // Listed last time, not now (下架 once their own pages confirm it).
    QStringList gone;

    // Items that seemed gone but are not known to be: they stay in the record.
    void keepListed(const QStringList &addresses);

    // The first check of a shop records what it holds and collects nothing,
    // unless the shop was added to collect what it holds now.
    static ShopChanges compare(const QStringList &walked, const WatchedShop &last,
                               const std::function<bool(const QString &address)> &downloaded);
};
