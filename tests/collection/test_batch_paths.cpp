// The batch cycle's ways of giving an item up, on a scripted page: what goes
// back to the address box, what goes back to the top of the pending list, and
// what the log says, without a browser.
#include "log_text.h"
#include "recording_desktop.h"
#include "qt_printers.h"
#include "scripted_page.h"
#include "test_app.h"

#include "collection/batch/batch_cycle.h"
#include "collection/page_analysis.h"
#include "download/item_download.h"
#include "lists/downloaded_addresses.h"
#include "lists/downloaded_commands.h"
#include "lists/downloaded_search.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net/http_fetcher.h"
#include "platform/files/image_reader_probe.h"
#include "platform/net/net_check.h"
#include "shell/settings.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString Good = QStringLiteral("http://detail.zorvane.com/offer/1.html");
const QString Other = QStringLiteral("http://detail.zorvane.com/offer/2.html");

// The cycle and its models over a scripted page, collecting into a temporary folder.
class BatchPaths : public ::testing::Test
{
protected:
    BatchPaths()
        : settings(folder.path())
        , listFile(lists, log, QDir(folder.path()).filePath(QStringLiteral("listdata.txt")))
        , search(lists.AlreadyDownedList(), log)
        , analyser(marketplace, records, shopLinks)
        , download({records, lists, search, settings, log, fetcher, probe})
        , net(QStringLiteral("127.0.0.1"))
        , addresses(lists.AlreadyDownedList())
        , batch({analyser, records, lists, listFile, net, log, addresses,
                 [this](int) { return BatchCycle::CollectorParts{page, download}; }},
                quick())
    {
        QDir(folder.path()).mkdir(QStringLiteral("out"));
        settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), QDir(folder.path()).filePath(QStringLiteral("out")));
        page.serve(Good, detailSnapshot(Good, QStringLiteral("好宝贝"), {}, {}));
    }

    static BatchCycle::Intervals quick()
    {
        BatchCycle::Intervals intervals;
        intervals.controllerMs = 10;
        intervals.scrollerMs = 1;
        return intervals;
    }

    // Starts the cycle and waits until a controller tick finds nothing to do.
    void runUntilIdleOrStopped()
    {
        QSignalSpy idle(&batch, &BatchCycle::idle);
        QSignalSpy stopped(&batch, &BatchCycle::stopped);
        batch.StartPickCmd_Click();
        ASSERT_TRUE(waitUntil([&] { return !idle.isEmpty() || !stopped.isEmpty(); }));
    }

    QStringList logOf(const QString &itemNo) const
    {
        return itemLogLines(log, itemNo);
    }

    QTemporaryDir folder;
    StatusLog log;
    Settings settings;
    ListStore lists;
    ListFile listFile;
    DownloadedSearch search;
    ItemRecordTable records;
    ShopLinks shopLinks;
    Marketplace marketplace;
    PageAnalyser analyser;
    HttpFetcher fetcher;
    ImageReaderProbe probe;
    ItemDownload download;
    NetCheck net;
    DownloadedAddresses addresses;
    ScriptedPage page;
    BatchCycle batch;
};

struct Rejection
{
    const char *name;
    std::function<void(ScriptedPage &)> serve; // what the bad item's address gives
    QString line;                             // its pending line
    QString why;                              // the log line that says why
    int renewals;                             // the view given up
};
ZORVANE_PRINT_AS_NAME(Rejection)

class BatchRejections : public BatchPaths, public ::testing::WithParamInterface<Rejection> {};

} // namespace

TEST_P(BatchRejections, ALineThatCannotBeCollectedGoesBackToTheAddressBoxAndTheNextIsCollected)
{
    const Rejection &c = GetParam();
    c.serve(page);
    lists.setAddUrlText(QString());
    lists.readyDownList().append(c.line);
    lists.readyDownList().append(QStringLiteral("G-2|") + Good);
    runUntilIdleOrStopped();

    const QStringList fields = c.line.split(QLatin1Char('|'));
    const QString back = fields.size() > 1 && !fields.at(1).isEmpty() ? fields.at(1) + QLatin1Char('|') + fields.at(0) : c.line;
    EXPECT_EQ(lists.AddUrlText(), back) << "no blank first line";
    const QStringList log = logOf(fields.at(0));
    ASSERT_GE(log.size(), 2);
    EXPECT_TRUE(log.at(log.size() - 2).startsWith(c.why)) << logMessages(this->log).join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(log.last().startsWith(QStringLiteral("采集中:本次采集结束_")));
    EXPECT_EQ(page.renewals(), c.renewals);
    EXPECT_EQ(lists.readyDownList().count(), 0);
    EXPECT_EQ(lists.AlreadyDownedList().count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BatchRejections,
    ::testing::Values(
        Rejection{"not_a_detail_page",
                  [](ScriptedPage &p) {
                      PageSnapshot plain = detailSnapshot(Other, QStringLiteral("店铺首页"), {}, {});
                      plain.blocks.clear();
                      p.serve(Other, plain);
                  },
                  QStringLiteral("N-1|") + Other, QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"), 0},
        Rejection{"load_fails", [](ScriptedPage &p) { p.serve(Other, {}, ScriptedPage::Load::Fails); },
                  QStringLiteral("F-1|") + Other, QStringLiteral("采集中:页面加载失败(无法连接或超时)_"), 0},
        Rejection{"page_hangs", [](ScriptedPage &p) { p.serve(Other, {}, ScriptedPage::Load::Hangs); },
                  QStringLiteral("H-1|") + Other, QStringLiteral("采集中:页面无响应,已放弃该页面_"), 1},
        Rejection{"no_address", [](ScriptedPage &) {}, QStringLiteral("X-1"),
                  QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"), 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchPaths, APageLostWhileScrolledGoesBackOnTopOnceAndToTheAddressBoxTheSecondTime)
{
    lists.setAddUrlText(QString());
    page.answersPerLoad = 2;
    page.serve(Other, detailSnapshot(Other, QStringLiteral("另一件"), {}, {}));
    lists.readyDownList().append(QStringLiteral("L-1|") + Good);
    lists.readyDownList().append(QStringLiteral("L-2|") + Other);
    QStringList pendingWhenGivenBack;
    QObject::connect(&batch, &BatchCycle::itemEnded, &batch, [&] {
        if (pendingWhenGivenBack.isEmpty())
            pendingWhenGivenBack = lists.readyDownList().entries();
    });
    runUntilIdleOrStopped();

    // Back on top as it was taken, the view given up; tried again, and the
    // second failure sends it to the address box: no loop for ever.
    EXPECT_EQ(pendingWhenGivenBack, (QStringList{QStringLiteral("L-1|") + Good, QStringLiteral("L-2|") + Other}));
    EXPECT_EQ(lists.AddUrlText(), QString(Good + QStringLiteral("|L-1\r\n") + Other + QStringLiteral("|L-2")));
    const QString tail = QStringLiteral("_") + Good;
    EXPECT_EQ(logOf(QStringLiteral("L-1")).filter(QStringLiteral("无响应")),
              (QStringList{QStringLiteral("采集中:页面无响应,读取失败,宝贝已放回待下载列表顶部") + tail,
                           QStringLiteral("采集中:页面无响应,已放弃该页面") + tail}));
    // The item after it is not held up: it goes the same way.
    EXPECT_EQ(page.renewals(), 4);
}

TEST_F(BatchPaths, AnItemTheSaveFolderCannotTakeGoesBackOnTopAndTheBatchPauses)
{
    settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), QString());
    lists.readyDownList().append(QStringLiteral("S-1|") + Good);
    lists.readyDownList().append(QStringLiteral("S-2|") + Other);
    runUntilIdleOrStopped();
    EXPECT_FALSE(batch.isControllerOn());
    EXPECT_TRUE(batch.isStartEnabled());
    EXPECT_EQ(lists.readyDownList().entries(), (QStringList{QStringLiteral("S-1|") + Good, QStringLiteral("S-2|") + Other}));
    EXPECT_EQ(lists.AlreadyDownedList().count(), 0);
    const QStringList log = logOf(QStringLiteral("S-1"));
    EXPECT_TRUE(log.last().endsWith(QStringLiteral(",宝贝已放回待下载列表顶部,采集暂停_") + Good)) << log.last().toStdString();
    // Nothing of the second item was started.
    EXPECT_TRUE(logOf(QStringLiteral("S-2")).isEmpty());
}

TEST_F(BatchPaths, EachItemTakesUpThePatienceOfThePaceItIsCollectedAt)
{
    BatchCycle::Intervals intervals = quick();
    lists.readyDownList().append(QStringLiteral("P-1|") + Good);
    runUntilIdleOrStopped();
    EXPECT_EQ(page.patience().firstAnswerMs, intervals.pages.patience(false).firstAnswerMs);
    EXPECT_EQ(page.patience().queryMs, intervals.pages.patience(false).queryMs);

    batch.setPace(BatchCycle::Pace::Fast);
    lists.readyDownList().append(QStringLiteral("P-2|") + Good);
    QSignalSpy ended(&batch, &BatchCycle::itemEnded);
    ASSERT_TRUE(waitUntil([&] { return !ended.isEmpty(); }));
    EXPECT_EQ(page.patience().firstAnswerMs, 15000);
    EXPECT_EQ(page.patience().queryMs, 5000);
    EXPECT_EQ(lists.AlreadyDownedList().count(), 2);
}

TEST_F(BatchPaths, WithSkipDownloadedAnItemDownloadedBeforeLeavesThePendingListUncollected)
{
    const QString known = Other + QStringLiteral("?spm=shop");
    for (const bool skip : {true, false}) {
        SCOPED_TRACE(skip ? "skip" : "collect again");
        lists.AlreadyDownedList().clear();
        lists.AlreadyDownedList().append(QStringLiteral("1|旧宝贝|/out/1|") + Other);
        page.serve(known, detailSnapshot(known, QStringLiteral("旧宝贝"), {}, {}));
        batch.setSkipDownloaded(skip);
        const QString k = skip ? QStringLiteral("K") : QStringLiteral("R");
        lists.readyDownList().append(k + QStringLiteral("-1|") + known);
        lists.readyDownList().append(k + QStringLiteral("-2|") + known);
        lists.readyDownList().append(QStringLiteral("G-3|") + Good);
        runUntilIdleOrStopped();
        EXPECT_EQ(lists.readyDownList().count(), 0);
        EXPECT_EQ(lists.AlreadyDownedList().count(), skip ? 2 : 4);
        for (const QString &itemNo : QStringList{k + QStringLiteral("-1"), k + QStringLiteral("-2")}) {
            const QStringList lines = logOf(itemNo);
            if (skip)
                EXPECT_EQ(lines, QStringList{QStringLiteral("采集中:已下载过,跳过_") + known});
            else
                EXPECT_FALSE(lines.contains(QStringLiteral("采集中:已下载过,跳过_") + known));
        }
        batch.StopPickCmd_Click();
        QSignalSpy stopped(&batch, &BatchCycle::stopped);
        ASSERT_TRUE(stopped.wait(5000));
    }
}

TEST_F(BatchPaths, AVerificationWallHoldsTheItemOnTopAndPausesInsteadOfRejectingTheQueue)
{
    const QString verify = QStringLiteral("http://login.zorvane.com/verify.html?return=offer");
    // The marketplace moves the reader of every item page to its check.
    PageSnapshot check = detailSnapshot(verify, QStringLiteral("安全验证"), {}, {});
    check.blocks.clear();
    page.serve(Other, check);
    page.serve(Good, check);
    // A page that is no detail page at its own address is rejected as ever.
    const QString plain = QStringLiteral("http://detail.zorvane.com/offer/3.html");
    PageSnapshot notDetail = detailSnapshot(plain, QStringLiteral("帮助"), {}, {});
    notDetail.blocks.clear();
    page.serve(plain, notDetail);
    lists.setAddUrlText(QString());
    for (const QString &line : QStringList{QStringLiteral("P-1|") + plain, QStringLiteral("W-2|") + Other,
                                QStringLiteral("G-3|") + Good})
        lists.readyDownList().append(line);
    QSignalSpy wall(&batch, &BatchCycle::verificationWall);
    runUntilIdleOrStopped();

    EXPECT_FALSE(batch.isControllerOn());
    ASSERT_EQ(wall.size(), 1);
    EXPECT_EQ(wall.first().at(0).toString(), verify);
    EXPECT_EQ(lists.readyDownList().entries(),
              (QStringList{QStringLiteral("W-2|") + Other, QStringLiteral("G-3|") + Good}));
    EXPECT_EQ(lists.AddUrlText(), QString(plain + QStringLiteral("|P-1")));
    EXPECT_EQ(logOf(QStringLiteral("G-3")).last(),
              QStringLiteral("采集中:Zorvane要求验证,请在打开的页面中完成验证后点击启动继续采集_") + Good);
    EXPECT_TRUE(lists.AlreadyDownedList().entries().isEmpty());

    // Once the check is passed, 启动 goes on with the same items.
    page.serve(Other, detailSnapshot(Other, QStringLiteral("墙后宝贝"), {}, {}));
    page.serve(Good, detailSnapshot(Good, QStringLiteral("好宝贝"), {}, {}));
    runUntilIdleOrStopped();
    EXPECT_EQ(lists.readyDownList().count(), 0);
    ASSERT_EQ(lists.AlreadyDownedList().count(), 2);
    EXPECT_TRUE(lists.AlreadyDownedList().at(0).startsWith(QStringLiteral("W-2|墙后宝贝|")));
}

TEST_F(BatchPaths, WithSkipDownloadedALineSentBackOnPurposeIsCollectedAgain)
{
    // The page was downloaded twice: sending one entry back leaves the other.
    lists.AlreadyDownedList().append(QStringLiteral("A|好宝贝|/out/A|") + Good);
    lists.AlreadyDownedList().append(QStringLiteral("B|好宝贝|/out/B|https://detail.zorvane.com/offer/1.html"));
    lists.AlreadyDownedList().setSelected(0, true);
    RecordingOpener opener;
    DownloadedCommands(lists, listFile, search, log, opener).RePickCmd_Click();
    batch.setSkipDownloaded(true);
    runUntilIdleOrStopped();
    EXPECT_EQ(lists.readyDownList().count(), 0);
    ASSERT_EQ(lists.AlreadyDownedList().count(), 2);
    EXPECT_TRUE(lists.AlreadyDownedList().at(1).startsWith(QStringLiteral("A|好宝贝|")));
    EXPECT_FALSE(logOf(QStringLiteral("A")).contains(QStringLiteral("采集中:已下载过,跳过_") + Good));
}

// Items whose page moves the reader elsewhere: taken off sale, or a wall.
namespace {

const QString Shop = QStringLiteral("https://shop.zorvane.com/");
const QString Check = QStringLiteral("http://detail.zorvane.com/verify.html"); // the item's host, another path

struct MovedCase
{
    const char *name;
    // A letter per pending line: G an item page, S moved to the shop (taken
    // off sale); no item pages: E a shop address shown with "/", H shown over
    // https, Q shown with a query.
    QString items;
    int wallAfter;   // every item page moves to the check once this many items ended; -1: never
    QString box;     // positions of the lines back in the address box
    QString pending; // positions of the lines left on top of the pending list
    int downloaded;
};
ZORVANE_PRINT_AS_NAME(MovedCase)

class MovedPages : public BatchPaths, public ::testing::WithParamInterface<MovedCase> {};

QString address(int k, QChar kind)
{
    return kind == u'E' ? QStringLiteral("http://shop%1.zorvane.com").arg(k)
                        : QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(10 + k);
}

PageSnapshot elsewhere(const QString &url)
{
    PageSnapshot s = detailSnapshot(url, QStringLiteral("别处"), {}, {});
    s.blocks.clear();
    return s;
}

} // namespace

TEST_P(MovedPages, OnlyAWallPausesTheRunItemsTakenOffSaleGoToTheAddressBox)
{
    const MovedCase &c = GetParam();
    const auto serveAll = [&](bool wall) {
        for (int k = 1; k <= c.items.size(); ++k) {
            const QChar kind = c.items.at(k - 1);
            const QString a = address(k, kind);
            const QString shown = wall ? Check
                : kind == u'S'         ? Shop
                : kind == u'E'         ? a + QLatin1Char('/')
                : kind == u'H'         ? QString(a).replace(QStringLiteral("http:"), QStringLiteral("https:"))
                                       : a + QStringLiteral("?spm=1");
            page.serve(a, kind == u'G' && !wall ? detailSnapshot(a, QStringLiteral("宝贝"), {}, {}) : elsewhere(shown));
        }
    };
    serveAll(c.wallAfter == 0);
    int ended = 0;
    QObject::connect(&batch, &BatchCycle::itemEnded, &batch, [&] { serveAll(c.wallAfter >= 0 && ++ended >= c.wallAfter); });
    lists.setAddUrlText(QString());
    for (int k = 1; k <= c.items.size(); ++k)
        lists.readyDownList().append(QStringLiteral("M%1|").arg(k) + address(k, c.items.at(k - 1)));
    QSignalSpy wall(&batch, &BatchCycle::verificationWall);
    runUntilIdleOrStopped();

    QString box, pending;
    for (int k = 1; k <= c.items.size(); ++k) {
        box += lists.AddUrlText().contains(QStringLiteral("|M%1").arg(k)) ? QString::number(k) : QString();
        const QString itemNo = QStringLiteral("M%1").arg(k);
        if (c.items.at(k - 1) == u'S' && c.box.contains(QString::number(k)))
            EXPECT_TRUE(logOf(itemNo).contains(QStringLiteral("采集中:页面被转到") + Shop + QStringLiteral(",可能已下架_")
                                               + address(k, u'S')));
    }
    for (const QString &line : lists.readyDownList().entries())
        pending += line.section(QLatin1Char('|'), 0, 0).mid(1);
    EXPECT_EQ(box, c.box) << lists.AddUrlText().toStdString();
    EXPECT_EQ(pending, c.pending) << "in the order they were taken";
    EXPECT_EQ(lists.AlreadyDownedList().count(), c.downloaded);
    EXPECT_EQ(wall.size(), c.pending.isEmpty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, MovedPages,
    ::testing::Values(MovedCase{"sold_out_among_good_and_last", QStringLiteral("GSSGS"), -1, QStringLiteral("235"), {}, 2},
                      MovedCase{"sold_out_first_in_a_run", QStringLiteral("SSG"), -1, QStringLiteral("12"), {}, 1},
                      MovedCase{"wall_after_the_first_item", QStringLiteral("GGG"), 1, {}, QStringLiteral("23"), 1},
                      MovedCase{"wall_at_the_very_first_item", QStringLiteral("GGGG"), 0, {}, QStringLiteral("1234"), 0},
                      MovedCase{"scheme_slash_or_query_is_no_move", QStringLiteral("EHQG"), -1, QStringLiteral("123"), {}, 1}),
    [](const auto &info) { return std::string(info.param.name); });
