#pragma once

// The watched shops' checks on the local marketplace: a program core whose
// collectors walk the shops in real views, the shops' offer lists served,
// the watch file and the record file read back, and a notification service
// on the test's private session bus.
#include "batch_fixture.h"
#include "fixture_pages.h"
#include "notification_service.h"
#include "test_files.h"

#include "platform/files/text_file.h"
#include "shop/change_record.h"
#include "shop/watch_list.h"

#include <QDir>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

class WatchCheckTest : public BatchTest
{
protected:
    WatchCheckTest()
    {
        build(quickTimeOuts);
        EXPECT_TRUE(notifications.start());
    }

    // Serves a shop's offer list, `perPage` items a page, and an empty page after the last.
    void serveShop(const QString &shop, const QList<int> &ids, int perPage)
    {
        int page = 1;
        for (qsizetype i = 0; i < ids.size(); i += perPage, ++page) {
            QStringList links;
            for (qsizetype k = i; k < std::min(ids.size(), i + perPage); ++k)
                links << detailPageAddress(ids.at(k));
            servePage(sharedServer(), shopOfferListAddress(shop, page), shopOfferListHtml({S(u"第%1页").arg(page), links}));
        }
        servePage(sharedServer(), shopOfferListAddress(shop, page), shopOfferListHtml({S(u"空页"), {}}));
    }

    WatchReport check()
    {
        QSignalSpy finished(&core->watch(), &WatchCheck::finished);
        EXPECT_TRUE(core->watch().start());
        EXPECT_TRUE(finished.wait(180000));
        return core->watch().lastReport();
    }

    QString record() const { return decodeLocalText(readBytes(QDir(output).filePath(ChangeRecord::fileName()))); }

    // A shop whose last check saw `ids`, yesterday unless told when.
    void watchRecorded(const QString &shop, const QList<int> &ids, const QDateTime &when = {})
    {
        WatchedShop watched;
        watched.address = S(u"http://%1.zorvane.com").arg(shop);
        watched.name = shop;
        watched.added = watched.lastCheck = when.isValid() ? when : QDateTime::currentDateTime().addDays(-1);
        for (int id : ids)
            watched.items << detailPageAddress(id);
        QList<WatchedShop> all = WatchList(folder.path()).shops();
        all << watched;
        ASSERT_TRUE(writeLocalTextFile(WatchList(folder.path()).path(), WatchList::format(all)));
    }
    // An item page taken off sale: it moves the reader to the shop's home page.
    static void takeOffSale(const QString &shop, int id)
    {
        const QString home = S(u"http://%1.zorvane.com/").arg(shop);
        servePage(sharedServer(), home, plainPageHtml(S(u"店铺首页"), S(u"<p>欢迎</p>")));
        moveTo(detailPageAddress(id), home);
    }
    // The page at `address` moves the reader to `where`.
    static void moveTo(const QString &address, const QString &where)
    {
        FixtureServer::Response moved = FixtureServer::status(302);
        moved.location = where.toUtf8();
        const QUrl url(address);
        sharedServer().route(url.host() + url.path() + (url.hasQuery() ? u'?' + url.query() : QString()), moved);
    }

    // Summary and body of every notification shown.
    QStringList shown() const
    {
        QStringList texts;
        for (const NotificationService::Call &call : notifications.calls)
            texts << call.summary + QLatin1Char('\n') + call.body;
        return texts;
    }

    NotificationService notifications;
};

