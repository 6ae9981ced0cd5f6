#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// What one check of the watched shops found, shop by shop: the record file,
// the notification and the window all tell it from this.
struct ShopCheckReport
{
    QString name;
    QString address;
    QString failure;      // why the shop's list could not be read; empty when it was
    bool baseline = false; // its first check: what it holds was recorded, nothing collected
    int listed = 0;
    int relisted = 0;     // back on sale, downloaded before: not collected again
    struct NewItem
    {
        QString address;
        QString title;  // the rest are empty when the item was not collected
        QString itemNo; // 货号
        QString folder;
    };
    QList<NewItem> fresh;
    struct GoneItem
    {
        QString address;
        QString title; // where it was collected
    };
    QList<GoneItem> gone;

    bool read() const { return failure.isEmpty(); }
    int collected() const;
};

struct WatchReport
{
    QDateTime started;
    QList<ShopCheckReport> shops;

    int newCount() const;
    int goneCount() const;
    int unreadCount() const;

    // The dated block the record file gets, CR LF line ends.
    QString recordBlock() const;
    // "店铺上新:N个新宝贝"; a line per shop that has new items.
    QString notificationSummary() const;
    QString notificationBody() const;
};
