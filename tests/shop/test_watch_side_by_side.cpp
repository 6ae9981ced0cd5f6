// Shops read side by side, one in each collector's view: a shop whose list
// page is held up or fails holds up no other, and whatever order the shops
// end in, the report, the watch file and the record keep the watch list's.
// And the check's ending, whatever order the batch's signals come in.
#include "watch_check_fixture.h"

#include "list_audit.h"
#include "log_text.h"
#include "page_waits.h"

#include "lists/item_lines.h"

#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WatchSideBySideTest : public WatchCheckTest
{
protected:
    // A page held until releaseStalls(), with generous load budgets so that
    // only the test decides when it answers.
    WatchSideBySideTest()
    {
        build([](ProgramCore::Options &options) { options.intervals.pages.loadMs = 120000; });
        core->setCollectors(3, false);
        core->setPace(BatchCycle::Pace::Fast, false);
    }
    ~WatchSideBySideTest() override { sharedServer().releaseStalls(); }

    bool logged(const QString &message) const { return logMessages(core->log()).contains(message); }

    static constexpr const char *VerifyAddress = "http://verify.zorvane.com/check.html";
};

} // namespace

TEST_F(WatchSideBySideTest, AHeldShopAndAFailingShopHoldUpNoOtherAndAllAreRecordedInTheWatchListsOrder)
{
    // Four shops for three views: the failing shop's view goes on to the fourth.
    servedItem(1301, S(u"并排上新"), {{S(u"货号"), S(u"SB-1301")}});
    serveShop(S(u"sideslow"), {1311, 1312}, 1); // page 2 is held below
    FixtureServer::Response held = FixtureServer::page(shopOfferListHtml({S(u"空页"), {}}));
    held.stall = true;
    sharedServer().route(S(u"sideslow.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=3"), held);
    sharedServer().route(S(u"sidefail.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=1"),
                         FixtureServer::status(500, QByteArray("<html><body>系统繁忙</body></html>")));
    serveShop(S(u"sidenew"), {1301, 1321}, 1);
    serveShop(S(u"sidelast"), {1331, 1332, 1333}, 2);
    watchRecorded(S(u"sideslow"), {1311, 1312});
    watchRecorded(S(u"sidefail"), {1341});
    watchRecorded(S(u"sidenew"), {1321});
    watchRecorded(S(u"sidelast"), {1331, 1332, 1333});
    ListAudit audit(core->listFile(), core->log());
    audit.queued(S(u"sidenew#1"), detailPageAddress(1301));

    QSignalSpy finished(&core->watch(), &WatchCheck::finished);
    QSignalSpy reading(&core->watch(), &WatchCheck::readingChanged);
    ASSERT_TRUE(core->watch().start());
    // The others are read while the held shop waits for its last page.
    ASSERT_TRUE(QTest::qWaitFor([&] { return logged(S(u"店铺上新检查:店铺sidelast共3个宝贝,新宝贝0个,下架0个")); }, 120000));
    EXPECT_TRUE(logged(S(u"店铺上新检查:店铺sidenew共2个宝贝,新宝贝1个,下架0个")));
    EXPECT_TRUE(logged(S(u"店铺上新检查:店铺sidefail无法读取,原因:店铺第1页加载失败,保留上次记录")));
    const QStringList soFar = logMessages(core->log());
    EXPECT_FALSE(std::any_of(soFar.cbegin(), soFar.cend(),
                             [](const QString &m) { return m.startsWith(S(u"店铺上新检查:店铺sideslow")); }));
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_EQ(pending().count(), 0) << "nothing is queued before every shop is read";
    // What the window shows: every shop under way, not only the one started last.
    ASSERT_GE(reading.size(), 3);
    EXPECT_EQ(reading.at(2).at(0).toStringList(), (QStringList{S(u"sideslow"), S(u"sidefail"), S(u"sidenew")}));
    EXPECT_EQ(reading.last().at(0).toStringList(), QStringList{S(u"sideslow")});
    EXPECT_EQ(reading.last().at(1).toInt(), 3);
    EXPECT_EQ(reading.last().at(2).toInt(), 4);
    sharedServer().releaseStalls();
    ASSERT_TRUE(finished.wait(120000));

    const WatchReport report = core->watch().lastReport();
    QStringList names;
    for (const ShopCheckReport &shop : report.shops)
        names << shop.name;
    EXPECT_EQ(names, (QStringList{S(u"sideslow"), S(u"sidefail"), S(u"sidenew"), S(u"sidelast")}));
    EXPECT_EQ(report.shops[0].listed, 2);
    EXPECT_FALSE(report.shops[1].read());
    ASSERT_EQ(report.shops[2].fresh.size(), 1);
    EXPECT_EQ(report.shops[3].listed, 3);

    const QList<WatchedShop> watched = WatchList(folder.path()).shops();
    ASSERT_EQ(watched.size(), 4);
    EXPECT_EQ(watched[0].name, S(u"sideslow"));
    EXPECT_EQ(watched[1].items, QStringList{detailPageAddress(1341)}) << "the failing shop's record as it was";
    EXPECT_FALSE(watched[1].lastFailure.isEmpty());
    EXPECT_EQ(watched[2].items, (QStringList{detailPageAddress(1301), detailPageAddress(1321)}));
    EXPECT_EQ(watched[3].lastNew, 0);

    // The record names the shops in the list's order, not in the order they were read.
    const QString text = record();
    const qsizetype slow = text.indexOf(S(u"sideslow http://")), fail = text.indexOf(S(u"sidefail http://")),
                    fresh = text.indexOf(S(u"sidenew http://")), last = text.indexOf(S(u"sidelast http://"));
    EXPECT_TRUE(slow >= 0 && slow < fail && fail < fresh && fresh < last) << text.toStdString();

    // The new item is collected, and every save held each item in exactly one list.
    ASSERT_EQ(downloaded().count(), 1);
    EXPECT_TRUE(QFileInfo(DownloadedLine::parse(downloaded().at(0)).folder).isDir());
    EXPECT_GT(audit.saves(), 0);
    EXPECT_TRUE(audit.faults().isEmpty()) << audit.faults().join(u'\n').toStdString();

    // The walks loaded no offer's picture; the views load pictures again once back with their collectors.
    const QString offerPicture = S(u"/img/offer1.60x60.jpg");
    EXPECT_EQ(sharedServer().hits(offerPicture), 0);
    navigateAndWait(core->batch().collectorView(2), shopOfferListAddress(S(u"sidelast"), 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return sharedServer().hits(offerPicture) > 0; }, 30000));
}

TEST_F(WatchSideBySideTest, TheEndingIsTheSameWhateverOrderTheBatchsSignalsComeIn)
{
    using Ending = WatchCheck::Ending;
    using Say = std::function<void(BatchCycle &)>;
    const Say done = [](BatchCycle &b) { emit b.idle(); };
    const Say paused = [](BatchCycle &b) { emit b.stopped(); };
    const Say walled = [](BatchCycle &b) { emit b.verificationWall(VerifyAddress); };
    const Say offline = [](BatchCycle &b) { emit b.offlineTooLong(); };
    struct Row
    {
        const char *name;
        QList<Say> said; // in one turn of the event loop, in this order
        Ending ending;
    };
    const QList<Row> rows{
        {"the queue done", {done}, Ending::Done},
        {"a wall, then the pause it brings", {walled, paused}, Ending::AtWall},
        {"the pause, then the wall", {paused, walled}, Ending::AtWall},
        {"the queue done as a pause took effect", {done, paused}, Ending::Paused},
        {"the same the other way round", {paused, done}, Ending::Paused},
        {"the network away too long, then a pause", {offline, paused}, Ending::Offline},
        {"a pause, then the network away too long", {paused, offline}, Ending::Offline},
    };
    // An item whose page never answers keeps the check collecting until the rows speak for the batch.
    FixtureServer::Response never = FixtureServer::page(QStringLiteral("<html></html>"));
    never.stall = true;
    sharedServer().route(QUrl(detailPageAddress(1351)).path(), never);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        build([](ProgramCore::Options &options) { options.intervals.pages.loadMs = 120000; });
        pending().append(S(u"E-1|") + detailPageAddress(1351));
        QSignalSpy finished(&core->watch(), &WatchCheck::finished);
        ASSERT_TRUE(core->watch().start());
        ASSERT_TRUE(QTest::qWaitFor([&] { return core->batch().isItemUnderWay(); }, 60000));
        for (const Say &say : row.said)
            say(core->batch());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 60000));
        EXPECT_EQ(finished.at(0).at(1).value<Ending>(), row.ending);
    }
}
