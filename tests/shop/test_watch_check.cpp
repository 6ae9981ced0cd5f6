// Checks of the watched shops end to end on the local marketplace: offer
// lists walked in the collector's real view, items collected by the batch,
// the watch file, the record file, and the notification the desktop's
// notifier sends to a service this test registers on its private session bus.
#include "watch_check_fixture.h"
#include "batch_fixture.h"
#include "fixture_pages.h"
#include "log_text.h"
#include "notification_service.h"
#include "scripted_net_check.h"
#include "test_files.h"
#include "verification_wall.h"

#include "lists/item_lines.h"
#include "platform/desktop/notifier.h"
#include "platform/files/text_file.h"
#include "shell/window_kept_schedule.h"
#include "shop/change_record.h"
#include "shop/watch_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

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

    // Third check: the item taken off sale is reported with the title it was collected under; nothing new, nobody told.
    serveShop(S(u"watcha"), {1101, 1102, 1103}, 2);
    takeOffSale(S(u"watcha"), 1104);
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

TEST_F(WatchCheckTest, ANetworkOutageWhileNewItemsAreCollectedLeavesThemPendingNotInTheBoxAndTheRecordSaysWhatWasQueued)
{
    ScriptedNetCheck net; // 启动's own check passes; from then on the network is away until the test says so
    net.asked = [](ScriptedNetCheck &check) { check.reachable = check.checks == 1; };
    build([&net](ProgramCore::Options &options) {
        quickTimeOuts(options);
        options.netCheck = &net;
        options.intervals.pages.fastFirstAnswerMs = 1500;
        options.intervals.networkRecheckMs = 50;
        options.intervals.offlineLimitMs = 400;
    });
    core->setPace(BatchCycle::Pace::Fast, false);
    servedItem(1141, S(u"早有的宝贝"), {});
    for (int id : {1142, 1143}) {
        FixtureServer::Response silent = FixtureServer::page(QString());
        silent.stall = true; // nothing answers while the network is away
        sharedServer().route(S(u"detail.zorvane.com/offer/%1.html").arg(id), silent);
    }
    serveShop(S(u"offlineshop"), {1141, 1142, 1143}, 10);
    watchRecorded(S(u"offlineshop"), {1141});
    QSignalSpy finished(&core->watch(), &WatchCheck::finished);
    ASSERT_TRUE(core->watch().start());
    ASSERT_TRUE(finished.wait(120000));
    EXPECT_EQ(finished.first().at(1).value<WatchCheck::Ending>(), WatchCheck::Ending::Offline);
    sharedServer().releaseStalls();
    QStringList pendingNumbers;
    for (const QString &line : pending().entries())
        pendingNumbers << PendingLine::parse(line).itemNo;
    EXPECT_EQ(pendingNumbers, (QStringList{S(u"offlineshop#2"), S(u"offlineshop#3")}));
    EXPECT_FALSE(core->lists().AddUrlText().contains(S(u"offlineshop"))) << "nothing given up";
    const QList<WatchedShop> shops = WatchList(folder.path()).shops();
    ASSERT_EQ(shops.size(), 1);
    EXPECT_EQ(shops[0].items.size(), 3) << "seen, and queued";
    EXPECT_EQ(shops[0].lastNew, 2);
    // The window goes on waiting: back, the network brings both in.
    for (int id : {1142, 1143})
        servedItem(id, S(u"新宝贝") + QString::number(id), {});
    QSignalSpy idle(&core->batch(), &BatchCycle::idle);
    net.asked = {};
    net.reachable = true;
    ASSERT_TRUE(idle.wait(60000));
    EXPECT_EQ(pending().count(), 0);
    EXPECT_EQ(downloaded().count(), 2);
}

TEST_F(WatchCheckTest, ChecksAnd整店采集TakeTurnsAndSaySoACheckPausesACollectingBatchAndAReadOnlyCopyNeverChecks)
{
    servedItem(1131, S(u"一起的宝贝"), {});
    serveShop(S(u"busyshop"), {1131}, 10);
    servedItem(1132, S(u"另一家的宝贝"), {});
    serveShop(S(u"othershop"), {1132}, 10);
    // A copy that does not keep the lists never checks: what it saw would be recorded and never collected.
    core->listFile().setReadOnly(true);
    EXPECT_FALSE(core->watch().start());
    EXPECT_EQ(logMessages(core->log()).last(), S(u"列表只读,本窗口不检查店铺上新:另一个本程序窗口正在使用同一程序目录的下载列表"));
    core->listFile().setReadOnly(false);
    WatchList watched(folder.path());
    QString message;
    watched.add(S(u"http://busyshop.zorvane.com"), false, QDateTime::currentDateTime(), &message);

    // 立即检查 during a 整店采集 walk waits its turn; a second 立即检查 meanwhile is refused.
    ShopDiscovery &discovery = core->shop();
    QSignalSpy walked(&discovery, &ShopDiscovery::finished);
    QSignalSpy checked(&core->watch(), &WatchCheck::finished);
    discovery.setShopUrlText(S(u"http://busyshop.zorvane.com"));
    discovery.AllShopBabyUrlAla();
    EXPECT_TRUE(core->watch().start());
    EXPECT_EQ(logMessages(core->log()).last(),
              S(u"整店采集分析店铺http://busyshop.zorvane.com正在进行,店铺上新检查排在其后,完成后自动开始"));
    EXPECT_FALSE(core->watch().start());
    EXPECT_EQ(logMessages(core->log()).last(), S(u"店铺上新检查正在进行,请待本次检查完成"));
    ASSERT_TRUE(checked.wait(120000));
    ASSERT_EQ(walked.size(), 1);
    QStringList log = logMessages(core->log());
    EXPECT_LT(log.indexOf(S(u"整店宝贝地址分析完成...恢复采集并开始整店宝贝采集...")), log.indexOf(S(u"店铺上新检查开始:1个监控店铺")));
    // The check paused the batch that 整店采集 started, walked, and waited for it to collect.
    EXPECT_EQ(core->watch().lastReport().shops[0].listed, 1);
    EXPECT_EQ(downloaded().count(), 1);
    EXPECT_EQ(pending().count(), 0);

    // 整店采集 during a check waits for the check, and its links go under its own shop's name.
    EXPECT_TRUE(core->watch().start());
    discovery.setShopUrlText(S(u"http://othershop.zorvane.com"));
    discovery.AllShopBabyUrlAla();
    EXPECT_EQ(logMessages(core->log()).last(),
              S(u"店铺上新检查正在进行,整店采集分析店铺http://othershop.zorvane.com排在其后,完成后自动开始"));
    ASSERT_TRUE(walked.wait(120000));
    ASSERT_EQ(checked.size(), 2);
    EXPECT_EQ(core->watch().lastReport().shops[0].listed, 1);
    QSignalSpy idle(&core->batch(), &BatchCycle::idle);
    ASSERT_TRUE(idle.wait(120000));
    ASSERT_EQ(downloaded().count(), 2);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(1)).itemNo, S(u"othershop#1"));
}

TEST_F(WatchCheckTest, AShopReadInPartIsNotReadItsRecordStaysAndNothingIsReportedGone)
{
    servePage(sharedServer(), VerificationWall::checkAddress(), plainPageHtml(S(u"安全验证"), S(u"<p>请完成验证</p>")));
    struct Row
    {
        const char *name;
        const char16_t *shop;
        std::function<void(const QString &page2)> serve;
        QString failure;
    };
    const QList<Row> rows{
        {"page 2 moves to a verification page", u"wallpage", [](const QString &page2) { moveTo(page2, VerificationWall::checkAddress()); },
         S(u"店铺第2页被转到http://verify.zorvane.com/check.html(需要验证或店铺已关闭),未能读完整个店铺")},
        {"page 2 has no list", u"nolistpage",
         [](const QString &page2) { servePage(sharedServer(), page2, plainPageHtml(S(u"出错了"), S(u"<p>系统繁忙</p>"))); },
         S(u"店铺第2页上没有店铺的宝贝列表,未能读完整个店铺")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const QString shop = S(row.shop);
        QFile::remove(WatchList(folder.path()).path());
        watchRecorded(shop, {1151, 1152, 1153, 1154});
        servePage(sharedServer(), shopOfferListAddress(shop, 1),
                  shopOfferListHtml({S(u"第1页"), {detailPageAddress(1151), detailPageAddress(1152)}}));
        row.serve(shopOfferListAddress(shop, 2));
        const QByteArray before = readBytes(WatchList(folder.path()).path());
        const WatchReport report = check();
        ASSERT_EQ(report.shops.size(), 1);
        EXPECT_EQ(report.shops[0].failure, row.failure);
        EXPECT_EQ(report.goneCount(), 0);
        EXPECT_EQ(report.unreadCount(), 1);
        const WatchedShop after = WatchList(folder.path()).shops().at(0);
        EXPECT_EQ(after.items.size(), 4) << "the record as it was";
        EXPECT_EQ(after.lastFailure, row.failure);
        EXPECT_EQ(after.lastCheck, WatchList::parse(decodeLocalText(before)).at(0).lastCheck);
        EXPECT_TRUE(record().contains(S(u"[无法读取] ") + shop + S(u" http://") + shop + S(u".zorvane.com 原因:") + row.failure
                                      + S(u",保留上次记录\r\n")));
        EXPECT_EQ(pending().count(), 0);
    }
}

TEST_F(WatchCheckTest, AnItemMovingUpAPageBetweenTwoPageLoadsIsSeenAndCollected)
{
    const int a = 1161, b = 1162, c = 1163, d = 1164;
    servedItem(c, S(u"爬上来的新宝贝"), {});
    watchRecorded(S(u"shiftshop"), {a, b, d});
    // Page 1 is read before the new item C sells enough to climb onto it, page 2 after: B is pushed down to page 2.
    auto climbed = std::make_shared<std::atomic<bool>>(false);
    const auto list = [](const QList<int> &ids) {
        QStringList links;
        for (int id : ids)
            links << detailPageAddress(id);
        return FixtureServer::page(shopOfferListHtml({S(u"列表"), links}));
    };
    sharedServer().route(S(u"shiftshop.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=1"),
                         [=](const std::string &, const std::string &) { return list(climbed->exchange(true) ? QList<int>{a, c} : QList<int>{a, b}); });
    sharedServer().route(S(u"shiftshop.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=2"),
                         [=](const std::string &, const std::string &) { return list(*climbed ? QList<int>{b, d} : QList<int>{c, d}); });
    servePage(sharedServer(), shopOfferListAddress(S(u"shiftshop"), 3), shopOfferListHtml({S(u"空页"), {}}));
    const WatchReport report = check();
    ASSERT_EQ(report.shops.size(), 1);
    EXPECT_TRUE(report.shops[0].read()) << report.shops[0].failure.toStdString();
    ASSERT_EQ(report.shops[0].fresh.size(), 1);
    EXPECT_EQ(report.shops[0].fresh[0].address, detailPageAddress(c));
    EXPECT_EQ(report.goneCount(), 0);
    ASSERT_EQ(downloaded().count(), 1);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(0)).address, detailPageAddress(c));
    QStringList items = WatchList(folder.path()).shops().at(0).items;
    items.sort();
    EXPECT_EQ(items, (QStringList{detailPageAddress(a), detailPageAddress(b), detailPageAddress(c), detailPageAddress(d)}));
}

TEST_F(WatchCheckTest, AnItemMissingFromTheListIsGoneOnlyWhenItsOwnPageMovesAndAnItemPageStillLoads)
{
    const int a = 1171, b = 1172, c = 1173, d = 1174;
    servedItem(a, S(u"还在卖"), {});
    servedItem(b, S(u"列表里没有但还能打开"), {});
    takeOffSale(S(u"confirmshop"), c);
    sharedServer().route(S(u"detail.zorvane.com/offer/1174.html"), FixtureServer::status(500));
    watchRecorded(S(u"confirmshop"), {a, b, c, d});
    serveShop(S(u"confirmshop"), {a}, 10);
    const WatchReport report = check();
    ASSERT_EQ(report.shops.size(), 1);
    ASSERT_EQ(report.shops[0].gone.size(), 1);
    EXPECT_EQ(report.shops[0].gone[0].address, detailPageAddress(c));
    EXPECT_EQ(WatchList(folder.path()).shops().at(0).items,
              (QStringList{detailPageAddress(a), detailPageAddress(b), detailPageAddress(d)}));
    EXPECT_TRUE(logMessages(core->log()).contains(S(u"店铺上新检查:店铺confirmshop有2个宝贝不在列表中,但宝贝页面仍能打开或无法核对,未记为下架")));

    // A wall moves every item page, the one meant to vouch as well: nothing is gone.
    for (int id : {a, b, d})
        moveTo(detailPageAddress(id), VerificationWall::checkAddress());
    servePage(sharedServer(), VerificationWall::checkAddress(), plainPageHtml(S(u"安全验证"), S(u"<p>请完成验证</p>")));
    const WatchReport walled = check();
    EXPECT_EQ(walled.goneCount(), 0);
    EXPECT_EQ(WatchList(folder.path()).shops().at(0).items.size(), 3);
    EXPECT_TRUE(logMessages(core->log()).contains(S(u"店铺上新检查:店铺confirmshop有2个宝贝不在列表中,但宝贝页面被转到验证页,无法核对,未记为下架")));
}

TEST_F(WatchCheckTest, AListSaveThatFailsLeavesTheRecordAsItWas)
{
    servedItem(1182, S(u"存不下的宝贝"), {});
    watchRecorded(S(u"saveshop"), {1181});
    servedItem(1181, S(u"老宝贝"), {});
    serveShop(S(u"saveshop"), {1182, 1181}, 10);
    // listdata.txt cannot be written: a folder stands in its place.
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("listdata.txt")));
    const QByteArray before = readBytes(WatchList(folder.path()).path());
    const WatchReport report = check();
    EXPECT_EQ(report.newCount(), 1);
    EXPECT_EQ(readBytes(WatchList(folder.path()).path()), before);
    EXPECT_FALSE(QFile::exists(QDir(output).filePath(ChangeRecord::fileName())));
    EXPECT_TRUE(logMessages(core->log()).contains(S(u"下载列表未能保存,店铺上新记录保持上次的内容,下次检查重新比较")));
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

TEST_F(WatchCheckTest, TheWindowKeptScheduleStartsOnceADayThroughAnEarlyTimerAndALongCheckAndRetriesAnUnreadDayHourly)
{
    QDateTime now(QDate(2026, 3, 10), QTime(8, 10, 59));
    build([&now](ProgramCore::Options &options) {
        quickTimeOuts(options);
        options.clock = [&now] { return now; };
    });
    core->settings().SaveConfigValue(QStringLiteral("WatchSchedule"), QStringLiteral("08:11"));
    core->settings().SaveConfigValue(QStringLiteral("WatchScheduleBy"), QStringLiteral("window"));
    servedItem(1191, S(u"定时宝贝"), {});
    serveShop(S(u"timeshop"), {1191}, 10);
    sharedServer().route(S(u"closedshop.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=1"),
                         FixtureServer::status(500));
    watchRecorded(S(u"timeshop"), {1191}, now.addDays(-1));
    watchRecorded(S(u"closedshop"), {}, now.addDays(-1));
    const auto starts = [this] { return logMessages(core->log()).filter(S(u"店铺上新检查开始")).size(); };
    QSignalSpy started(&core->watch(), &WatchCheck::readingChanged);
    QSignalSpy finished(&core->watch(), &WatchCheck::finished);
    const QDateTime today(now.date(), QTime(8, 11)), tomorrow = today.addDays(1);
    {
        // The timer fires a second early by the clock; the check then runs over a minute.
        WindowKeptSchedule schedule(core->watchSchedule(), core->settings(), core->watch(), core->log(), folder.path(),
                                    [&now] { return now; });
        EXPECT_EQ(schedule.nextStart(), today);
        ASSERT_TRUE(started.wait(30000));
        now = QDateTime(now.date(), QTime(8, 12, 10));
        EXPECT_FALSE(schedule.nextStart().isValid()) << "nothing armed while a check runs";
        ASSERT_TRUE(finished.wait(60000));
        EXPECT_EQ(schedule.nextStart(), tomorrow);
        EXPECT_EQ(starts(), 1);
    }
    // Tomorrow every shop is unreadable: tried at the time, then hourly, not every minute.
    sharedServer().route(S(u"timeshop.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=1"),
                         FixtureServer::status(500));
    now = tomorrow.addMSecs(-500);
    {
        WindowKeptSchedule schedule(core->watchSchedule(), core->settings(), core->watch(), core->log(), folder.path(),
                                    [&now] { return now; });
        ASSERT_TRUE(finished.wait(60000));
        EXPECT_EQ(finished.size(), 2);
        EXPECT_EQ(core->watch().lastReport().unreadCount(), 2);
        EXPECT_EQ(schedule.nextStart(), tomorrow.addSecs(3600 - 1)) << "an hour after the start, to the second";
        EXPECT_TRUE(logMessages(core->log()).contains(S(u"店铺上新定时检查没有读到任何店铺,03-11 09:10再试")));
        EXPECT_EQ(WatchList(folder.path()).shops().at(0).lastCheck, QDateTime(today.date(), QTime(8, 10, 59)));
    }
    // The window opened again after the hour: tried at once, and the next try an hour on.
    now = tomorrow.addSecs(3600 + 30);
    WindowKeptSchedule reopened(core->watchSchedule(), core->settings(), core->watch(), core->log(), folder.path(),
                                [&now] { return now; });
    EXPECT_EQ(reopened.nextStart(), now);
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(reopened.nextStart(), now.addSecs(3600));
    EXPECT_EQ(starts(), 3);
}
