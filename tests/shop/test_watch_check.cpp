// Checks of the watched shops end to end on the local marketplace: offer
// lists walked in the collector's real view, items collected by the batch,
// the watch file, the record file, and the notification the desktop's
// notifier sends to a service this test registers on its private session bus.
#include "batch_fixture.h"
#include "fixture_pages.h"
#include "log_text.h"
#include "notification_service.h"
#include "test_files.h"

#include "lists/item_lines.h"
#include "platform/notifier.h"
#include "platform/text_file.h"
#include "shop/change_record.h"
#include "shop/watch_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

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

} // namespace

TEST_F(WatchCheckTest, RecordsFirstCollectsWhatCameBetweenThenReportsWhatWentAndADeadShopKeepsItsRecord)
{
    for (int id : {1101, 1102, 1103, 1104, 1111})
        servedItem(id, S(u"上新宝贝") + QString::number(id), {{S(u"货号"), S(u"HH-%1").arg(id)}});
    serveShop(S(u"watcha"), {1101, 1102, 1103}, 2);
    serveShop(S(u"watchb"), {1111}, 5);
    FixtureServer::Response never = FixtureServer::page(shopOfferListHtml({S(u"不会到"), {detailPageAddress(1199)}}));
    never.stall = true;
    sharedServer().route(S(u"deadshop.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=1"), never);
    WatchList watched(folder.path());
    QString message;
    for (const char16_t *shop : {u"http://watcha.zorvane.com", u"http://deadshop.zorvane.com", u"http://WatchB.zorvane.com/"})
        ASSERT_EQ(watched.add(S(shop), false, QDateTime::currentDateTime(), &message), WatchList::Change::Done);

    // First check: what the shops hold is recorded, nothing collected, nobody told.
    WatchReport first = check();
    ASSERT_EQ(first.shops.size(), 3);
    EXPECT_TRUE(first.shops[0].baseline);
    EXPECT_EQ(first.shops[0].listed, 3);
    EXPECT_EQ(first.shops[1].failure, S(u"店铺第1页加载失败"));
    EXPECT_EQ(first.shops[2].listed, 1);
    EXPECT_EQ(pending().count(), 0);
    EXPECT_EQ(downloaded().count(), 0);
    EXPECT_TRUE(notifications.calls.isEmpty());
    QList<WatchedShop> shops = watched.shops();
    EXPECT_EQ(shops[0].items, (QStringList{detailPageAddress(1101), detailPageAddress(1102), detailPageAddress(1103)}));
    EXPECT_FALSE(shops[1].recorded());
    EXPECT_EQ(shops[1].lastFailure, S(u"店铺第1页加载失败"));
    EXPECT_TRUE(record().contains(S(u"[店铺] watcha http://watcha.zorvane.com 首次检查,记录现有宝贝3个\r\n")));
    EXPECT_TRUE(record().contains(S(u"[无法读取] deadshop http://deadshop.zorvane.com 原因:店铺第1页加载失败,保留上次记录\r\n")));

    // Second check: exactly the item put up meanwhile is collected, and told once.
    serveShop(S(u"watcha"), {1104, 1101, 1102, 1103}, 2);
    const WatchReport second = check();
    ASSERT_EQ(downloaded().count(), 1);
    const DownloadedLine line = DownloadedLine::parse(downloaded().at(0));
    EXPECT_EQ(line.address, detailPageAddress(1104));
    EXPECT_TRUE(QFileInfo(line.folder).isDir());
    ASSERT_EQ(second.shops[0].fresh.size(), 1);
    EXPECT_EQ(second.shops[0].fresh[0].folder, line.folder);
    EXPECT_EQ(shown(), QStringList{S(u"店铺上新:1个新宝贝\nwatcha: 1个新宝贝,已采集1个\n1个店铺无法读取")});
    EXPECT_EQ(notifications.calls[0].appName, S(u"Zorvane产品图片下载器"));
    EXPECT_EQ(notifications.calls[0].actions, (QStringList{S(u"default"), S(u"打开店铺上新")}));
    EXPECT_TRUE(record().contains(S(u"新宝贝|") + line.title + S(u"|") + line.itemNo + S(u"|") + line.folder + S(u"|")
                                  + detailPageAddress(1104) + S(u"\r\n")))
        << record().toStdString();
    EXPECT_EQ(watched.shops()[0].lastNew, 1);

    // Third check: the item taken away is reported with the title it was collected under; nothing new, nobody told.
    serveShop(S(u"watcha"), {1101, 1102, 1103}, 2);
    const WatchReport third = check();
    ASSERT_EQ(third.shops[0].gone.size(), 1);
    EXPECT_EQ(third.shops[0].gone[0].title, line.title);
    EXPECT_TRUE(record().contains(S(u"下架|") + detailPageAddress(1104) + S(u"|") + line.title + S(u"\r\n")));
    EXPECT_EQ(notifications.calls.size(), 1);
    EXPECT_EQ(downloaded().count(), 1);
    EXPECT_EQ(watched.shops()[0].lastGone, 1);
    // The record holds the three checks, oldest first.
    EXPECT_EQ(ChangeRecord(output).lastBlocks(10).size(), 3);
    sharedServer().releaseStalls();
}

TEST_F(WatchCheckTest, AShopAddedToCollectWhatItHasQueuesItsItemsNotDownloadedAndAGoneShopIsReported)
{
    for (int id : {1121, 1122})
        servedItem(id, S(u"现有宝贝") + QString::number(id), {});
    serveShop(S(u"fullshop"), {1121, 1122}, 10);
    // A shop that is gone: its address answers with the marketplace's page without an offer list.
    servePage(sharedServer(), shopOfferListAddress(S(u"goneshop"), 1), plainPageHtml(S(u"店铺不存在"), S(u"<p>没有这个店铺</p>")));
    downloaded().append(S(u"fullshop#2|现有宝贝1122|/out/1122|") + detailPageAddress(1122));
    WatchList watched(folder.path());
    QString message;
    watched.add(S(u"http://fullshop.zorvane.com"), true, QDateTime::currentDateTime(), &message);
    watched.add(S(u"http://goneshop.zorvane.com"), false, QDateTime::currentDateTime(), &message);
    const WatchReport report = check();
    ASSERT_EQ(downloaded().count(), 2);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(1)).address, detailPageAddress(1121));
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(1)).itemNo, S(u"fullshop#1"));
    EXPECT_EQ(report.newCount(), 1);
    EXPECT_EQ(report.shops[1].failure, S(u"页面上没有店铺的宝贝列表(店铺已关闭或地址错误)"));
    EXPECT_FALSE(watched.shops()[0].withExisting) << "only the first check collects what the shop holds";
}

TEST_F(WatchCheckTest, ACheckWaitsForAWalkOf整店采集AndPausesACollectingBatchWhileItWalksAndAReadOnlyCopyNeverChecks)
{
    servedItem(1131, S(u"一起的宝贝"), {});
    serveShop(S(u"busyshop"), {1131}, 10);
    // A copy that does not keep the lists never checks: what it saw would be recorded and never collected.
    core->listFile().setReadOnly(true);
    EXPECT_FALSE(core->watch().start());
    EXPECT_EQ(logMessages(core->log()).last(), S(u"列表只读,本窗口不检查店铺上新:另一个本程序窗口正在使用同一程序目录的下载列表"));
    core->listFile().setReadOnly(false);
    ShopDiscovery &discovery = core->shop();
    QSignalSpy walked(&discovery, &ShopDiscovery::finished);
    discovery.setShopUrlText(S(u"http://busyshop.zorvane.com"));
    discovery.AllShopBabyUrlAla();
    EXPECT_FALSE(core->watch().start());
    EXPECT_EQ(logMessages(core->log()).last(), S(u"正在整店采集分析店铺宝贝,请待分析完成后再检查店铺上新"));
    ASSERT_TRUE(walked.wait(60000));
    // The batch collects the shop now; a check pauses it, walks, and lets it go on.
    WatchList watched(folder.path());
    QString message;
    watched.add(S(u"http://busyshop.zorvane.com"), false, QDateTime::currentDateTime(), &message);
    ASSERT_TRUE(core->batch().isControllerOn());
    const WatchReport report = check();
    EXPECT_EQ(report.shops[0].listed, 1);
    EXPECT_EQ(downloaded().count(), 1);
    EXPECT_EQ(pending().count(), 0);
}

TEST_F(WatchCheckTest, WithoutANotificationServiceTheCheckSaysSoAndEndsAndAClickOpensTheWatchWindow)
{
    servedItem(1141, S(u"没人看的宝贝"), {});
    serveShop(S(u"quietshop"), {}, 10);
    WatchList watched(folder.path());
    QString message;
    watched.add(S(u"http://quietshop.zorvane.com"), false, QDateTime::currentDateTime(), &message);
    check();
    serveShop(S(u"quietshop"), {1141}, 10);
    notifications.stop();
    const WatchReport report = check();
    EXPECT_EQ(report.newCount(), 1);
    EXPECT_EQ(downloaded().count(), 1);
    const QStringList log = logMessages(core->log());
    // In the user's words, not Qt D-Bus' English.
    const qsizetype said = log.indexOf(S(u"无法发送桌面通知,原因:桌面没有通知服务(org.freedesktop.Notifications)"));
    ASSERT_GE(said, 0) << log.join(u'\n').toStdString();
    EXPECT_TRUE(log.at(said - 1).startsWith(S(u"店铺上新检查完成:1个新宝贝,0个下架,0个店铺无法读取,记录见")));

    // With the service back, a click on the check's notification is told; one on another's is not.
    ASSERT_TRUE(notifications.start());
    serveShop(S(u"quietshop"), {1142, 1141}, 10);
    servedItem(1142, S(u"第二个"), {});
    check();
    ASSERT_EQ(notifications.calls.size(), 1);
    QSignalSpy activated(&core->notifier(), &Notifier::activated);
    notifications.click(notifications.calls[0].id + 1);
    notifications.click(notifications.calls[0].id, S(u"other"));
    notifications.click(notifications.calls[0].id);
    ASSERT_TRUE(activated.wait(10000));
    EXPECT_EQ(activated.size(), 1);
}
