// The network goes away mid-run: pages and pictures get no answer at all and
// the network check fails too. Nothing is the items' fault: they wait on top
// of the pending list and the batch goes on by itself once the network is
// back. The test moves the batch's clock 15 s on at every check.
#include "pictures.h"
#include "qt_printers.h"
#include "scripted_batch.h"

#include <QSignalSpy>

namespace {

struct Outage
{
    const char *name;
    int collectors;
    // What meets the outage: "page" (every item page), "pictures" (the
    // pictures of item 1, whose page loaded), or "check" (the page checked
    // for three sold-out items, downloaded in an earlier run).
    QString where;
    qint64 downForMs;
    int tooLong; // offlineTooLong signals
};
ZORVANE_PRINT_AS_NAME(Outage)

class NetworkOutage : public ScriptedBatch, public ::testing::WithParamInterface<Outage> {};

constexpr qint64 Recheck = 15000;

// One for all cases: a server that ends waits for its idle keep-alive connections.
LocalWebServer &pictureServer()
{
    static LocalWebServer server;
    server.route(QStringLiteral("/p.jpg"), LocalWebServer::bytes(makePicture(800, 800), "image/jpeg"));
    return server;
}

} // namespace

TEST_P(NetworkOutage, ItemsWaitOnTopUncountedAndTheRunGoesOnWhenTheNetworkIsBack)
{
    const Outage &c = GetParam();
    BatchCycle::Intervals intervals = quick();
    intervals.networkRecheckMs = 1; // the clock is the test's: 15 s go by at every check
    rebuild(intervals, c.collectors);
    batch->setPace(BatchCycle::Pace::Fast);
    LocalWebServer &server = pictureServer();
    const QString refused = QStringLiteral("http://127.0.0.1:1/p.jpg"); // nobody listens there
    const int goods = c.where == u"check" ? 1 : 4;
    const int first = c.where == u"check" ? 4 : 1;
    // The pages as the network serves them: down, or back.
    const auto network = [&](bool up) {
        for (int k = first; k < first + goods; ++k) {
            const QString picture = up || c.where != u"pictures" || k != 1 ? server.base() + QStringLiteral("/p.jpg") : refused;
            serve(item(k), detailSnapshot(item(k), QStringLiteral("宝贝%1").arg(k), {picture}, {}),
                  up || c.where != u"page" ? ScriptedPage::Load::Page : ScriptedPage::Load::Fails);
        }
        if (c.where == u"check")
            serve(item(900), detailSnapshot(item(900), QStringLiteral("早先的宝贝"), {}, {}),
                  up ? ScriptedPage::Load::Page : ScriptedPage::Load::Fails);
    };
    if (c.where == u"check") {
        downloadedBefore(QStringLiteral("E|早先的宝贝|/out/E|") + item(900));
        for (int k = 1; k <= 3; ++k) {
            serveMoved(item(k), shop());
            queue(QStringLiteral("S%1").arg(k), item(k));
        }
    }
    for (int k = first; k < first + goods; ++k)
        queue(QStringLiteral("G%1").arg(k), item(k));
    network(false);
    qint64 downSince = -1;
    net.asked = [&](ScriptedNetCheck &check) {
        if (check.checks == 1)
            return; // 启动's own check: the network was there
        if (downSince < 0) {
            downSince = clockMs;
            check.reachable = false;
        } else if (!check.reachable) {
            clockMs += Recheck;
        }
        if (clockMs - downSince >= c.downForMs && !check.reachable) {
            network(true);
            check.reachable = true;
        }
    };
    QSignalSpy lost(batch.get(), &BatchCycle::networkLost), back(batch.get(), &BatchCycle::networkBack),
        tooLong(batch.get(), &BatchCycle::offlineTooLong);
    EXPECT_EQ(runToEnd(), 0);

    EXPECT_EQ(lost.size(), 1);
    EXPECT_EQ(back.size(), 1);
    EXPECT_EQ(tooLong.size(), c.tooLong);
    QStringList expected;
    for (int k = first; k < first + goods; ++k)
        expected << QStringLiteral("G%1").arg(k);
    QStringList got = downloadedNumbers().mid(c.where == u"check" ? 1 : 0);
    if (c.collectors > 1)
        got.sort();
    EXPECT_EQ(got, expected) << "every item collected, none given up";
    EXPECT_EQ(boxNumbers(), c.where == u"check" ? (QStringList{"S1", "S2", "S3"}) : QStringList())
        << lists.AddUrlText().toStdString();
    EXPECT_TRUE(pendingNumbers().isEmpty());
    EXPECT_EQ(logged(QStringLiteral("采集中:网络不通(无法连接Zorvane),采集暂停")), 1);
    EXPECT_EQ(logged(QStringLiteral("采集中:网络已恢复,继续采集_")), 1);
    EXPECT_EQ(logged(QStringLiteral("页面加载失败")), 0);
    EXPECT_EQ(logged(QStringLiteral("已放弃")), 0);
    // The checks while the network was away were 15 s apart, no more.
    EXPECT_EQ(net.checks, 1 /* start */ + 1 + int(c.downForMs / Recheck) + (c.downForMs % Recheck ? 1 : 0));
    expectAuditClean();
}

INSTANTIATE_TEST_SUITE_P(
    Outages, NetworkOutage,
    ::testing::Values(Outage{"page_20s_1", 1, QStringLiteral("page"), 20000, 0},
                      Outage{"page_20s_3", 3, QStringLiteral("page"), 20000, 0},
                      Outage{"pictures_20s_3", 3, QStringLiteral("pictures"), 20000, 0},
                      Outage{"check_20s_1", 1, QStringLiteral("check"), 20000, 0},
                      // The window goes on waiting: it says so once, and goes on when the network is back.
                      Outage{"page_11min_3", 3, QStringLiteral("page"), 11 * 60000, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScriptedBatch, APageWithoutAnswerWhileTheNetworkIsThereIsTheItemsOwnFailure)
{
    // The network check passes: the page's host failed, not the network.
    serve(item(1), detailSnapshot(item(1), QStringLiteral("坏页"), {}, {}), ScriptedPage::Load::Fails);
    serveGood(2, QStringLiteral("好宝贝"));
    queue(QStringLiteral("F1"), item(1));
    queue(QStringLiteral("G2"), item(2));
    QSignalSpy lost(batch.get(), &BatchCycle::networkLost);
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(lost.size(), 0);
    EXPECT_EQ(boxNumbers(), QStringList{"F1"});
    EXPECT_EQ(downloadedNumbers(), QStringList{"G2"});
    EXPECT_EQ(logOf(QStringLiteral("F1")).filter(QStringLiteral("页面加载失败")),
              QStringList{S(u"采集中:页面加载失败(无法连接或超时)_") + item(1)});
    expectAuditClean();
}

TEST_F(ScriptedBatch, APauseWhileTheNetworkIsAwayStopsWithTheItemsOnTop)
{
    rebuild(quick(), 2);
    for (int k = 1; k <= 3; ++k) {
        serve(item(k), detailSnapshot(item(k), QStringLiteral("宝贝%1").arg(k), {}, {}), ScriptedPage::Load::Fails);
        queue(QStringLiteral("P%1").arg(k), item(k));
    }
    net.asked = [](ScriptedNetCheck &check) { check.reachable = check.checks == 1; };
    QSignalSpy lost(batch.get(), &BatchCycle::networkLost);
    Run run = start();
    ASSERT_TRUE(waitFor([&] { return !lost.isEmpty() && !batch->isItemUnderWay(); }));
    const int checks = net.checks;
    batch->StopPickCmd_Click();
    ASSERT_TRUE(waitFor([&] { return run.over(); }));
    EXPECT_EQ(run.stopped->size(), 1);
    EXPECT_FALSE(batch->isOffline());
    EXPECT_EQ(pendingNumbers(), (QStringList{"P1", "P2", "P3"}));
    EXPECT_LE(net.checks, checks + 1) << "no more checks once paused";
    expectAuditClean();
}
