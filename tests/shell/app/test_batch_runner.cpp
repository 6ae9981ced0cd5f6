#include "runner_process.h"
#include "log_text.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"
#include "test_app.h"
#include "verification_wall.h"

#include "lists/item_lines.h"
#include "platform/files/text_file.h"
#include "platform/web/webengine_setup.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>

namespace {


// zorvane-picker-batch on a program folder of its own, its marketplace mapped to the local server.
class Runner : public RunnerProcess
{
public:
    explicit Runner(const QStringList &arguments) : RunnerProcess(QStringLiteral(ZORVANE_BATCH_EXE), arguments) {}
};

class RunnerTest : public ::testing::Test
{
protected:
    RunnerTest()
    {
        writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")),
                           QStringLiteral("[config]\r\nPicOutPutPath=") + folder.path() + QStringLiteral("\r\n"));
    }
    QString listData() const
    {
        return readLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt"))).value_or(QString());
    }
    QStringList common() const
    {
        return {QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"),
                QStringLiteral("127.0.0.1")};
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(RunnerTest, TerminationPutsTheItemUnderWayBackWithTheMarker)
{
    DetailPage item;
    item.title = S(u"被打断的宝贝");
    item.height = 30000; // long enough to be scrolling when the signal comes
    servePage(sharedServer(), detailPageAddress(201), detailPageHtml(item));
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")),
                       S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nR-1|") + detailPageAddress(201)
                           + S(u"\r\nR-2|") + detailPageAddress(202) + S(u"\r\n<AlreadyDownedList>\r\n"));
    Runner runner(common());
    ASSERT_TRUE(waitUntil([&] { return runner.output.contains(S(u"R-1采集中:开始图片URL分析_")); }, 60000))
        << runner.output.toStdString();
    ::kill(pid_t(runner.process.processId()), SIGTERM);
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 128 + SIGTERM);
    EXPECT_EQ(listData(), S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nR-1|") + detailPageAddress(201)
                              + S(u"|[上次软件退出未采集完成]\r\nR-2|") + detailPageAddress(202)
                              + S(u"\r\n<AlreadyDownedList>\r\n"));
    // Every log line was printed as it came, oldest first.
    const QStringList lines = runner.output.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines.first().endsWith(S(u"启动采集,一旦检测到待下载列表有宝贝,将自行采集下载并启动列表旁的状态闪烁指示灯.")));
    EXPECT_TRUE(lines.at(1).endsWith(S(u"R-1采集中:加载_") + detailPageAddress(201)));
}

TEST_F(RunnerTest, AKilledRunLeavesTheItemUnderWayOnTopWithTheMarker)
{
    DetailPage item;
    item.title = S(u"断电的宝贝");
    item.height = 30000;
    servePage(sharedServer(), detailPageAddress(203), detailPageHtml(item));
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")),
                       S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nK-1|") + detailPageAddress(203)
                           + S(u"\r\nK-2|") + detailPageAddress(204) + S(u"\r\n<AlreadyDownedList>\r\n"));
    Runner runner(common());
    // The first scroll comes after the item was taken and the lists saved.
    ASSERT_TRUE(waitUntil([&] { return runner.output.contains(S(u"K-1采集中:图片地址分析中..._")); }, 60000))
        << runner.output.toStdString();
    ::kill(pid_t(runner.process.processId()), SIGKILL);
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(listData(), S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nK-1|") + detailPageAddress(203)
                              + S(u"|[上次软件退出未采集完成]\r\nK-2|") + detailPageAddress(204)
                              + S(u"\r\n<AlreadyDownedList>\r\n"));
}

TEST_F(RunnerTest, AKilledRunWithThreeCollectorsLeavesAllThreeOnTopInTheOrderTheyWereTaken)
{
    QString lists = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n"), expected = lists;
    for (int id = 205; id <= 208; ++id) {
        DetailPage item;
        item.title = S(u"三个一起") + QString::number(id);
        item.height = 30000;
        servePage(sharedServer(), detailPageAddress(id), detailPageHtml(item));
        lists += QStringLiteral("T-%1|%2\r\n").arg(id).arg(detailPageAddress(id));
        expected += QStringLiteral("T-%1|%2%3\r\n").arg(id).arg(detailPageAddress(id)).arg(id < 208 ? QLatin1Char('|') + InterruptedMarker : QString());
    }
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")), lists + S(u"<AlreadyDownedList>\r\n"));
    Runner runner(common() + QStringList{QStringLiteral("--collectors"), QStringLiteral("3")});
    ASSERT_TRUE(waitUntil([&] { return runner.output.contains(S(u"T-207采集中:图片地址分析中..._")); }, 60000))
        << runner.output.toStdString();
    ::kill(pid_t(runner.process.processId()), SIGKILL);
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(listData(), expected + S(u"<AlreadyDownedList>\r\n"));
}

TEST_F(RunnerTest, ExitsWhenThereIsNothingLeftOrTheStartIsRefused)
{
    {
        Runner runner(common());
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 0);
        EXPECT_TRUE(listData().startsWith(S(u"<AddUrlText>\r\n")));
    }
    {
        Runner runner({QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"),
                       QStringLiteral("no-such-host.invalid")});
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 2);
        EXPECT_TRUE(runner.output.trimmed().endsWith(S(u"启动采集失败,请检测网络是否连通!")));
    }
    {
        // Lists that cannot be saved at the end are no success.
        QFile::remove(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")));
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("listdata.txt")));
        Runner runner(common());
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 4);
        EXPECT_TRUE(runner.output.contains(S(u"保存列表失败,原因:")));
        // They are kept beside it under a dated name.
        const QStringList copies = QDir(folder.path()).entryList({QStringLiteral("listdata-*.txt")}, QDir::Files);
        ASSERT_EQ(copies.size(), 1);
        EXPECT_TRUE(runner.output.contains(S(u"列表已另存为:") + QDir(folder.path()).filePath(copies.first())));
        EXPECT_TRUE(readLocalTextFile(QDir(folder.path()).filePath(copies.first()))->startsWith(S(u"<AddUrlText>\r\n")));
    }
}

TEST_F(RunnerTest, AddsLinesAndStoresTheSaveFolderLikeTheButtons)
{
    const QString out = QDir(folder.path()).filePath(QStringLiteral("pictures"));
    QDir().mkpath(out);
    // A line an earlier run gave back into the address box stays there.
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")),
                       S(u"<AddUrlText>\r\nhttp://earlier|E-1\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"));
    Runner runner(common()
                  + QStringList{QStringLiteral("--save-folder"), out, QStringLiteral("--add"),
                                QStringLiteral("http://www.zorvane.com/nothing.html|N-1")});
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 0);
    EXPECT_TRUE(runner.output.contains(S(u"设置采集图片保存至:") + out));
    EXPECT_TRUE(runner.output.contains(S(u"添加<N-1|http://www.zorvane.com/nothing.html>到待下载列表")));
    // Not a detail page: it went back to the input box, and the folder setting stayed.
    EXPECT_TRUE(listData().startsWith(
        S(u"<AddUrlText>\r\nhttp://earlier|E-1\r\nhttp://www.zorvane.com/nothing.html|N-1\r\n<readyDownList>\r\n")))
        << listData().toStdString();
    EXPECT_TRUE(readLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")))->contains(out));
}

TEST_F(RunnerTest, AVerificationWallEndsTheRunWithItsCodeAndTheNextRunGoesOn)
{
    VerificationWall wall(sharedServer(), 1);
    QString lists = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n");
    for (int id = 731; id <= 733; ++id) {
        DetailPage item;
        item.title = S(u"验证墙宝贝") + QString::number(id);
        wall.serveItem(sharedServer(), id, detailPageHtml(item));
        lists += QStringLiteral("W-%1|%2\r\n").arg(id).arg(detailPageAddress(id));
    }
    const QString listFile = QDir(folder.path()).filePath(QStringLiteral("listdata.txt"));
    writeLocalTextFile(listFile, lists + S(u"<AlreadyDownedList>\r\n"));
    {
        Runner runner(common() + QStringList{QStringLiteral("--fast")});
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 6) << runner.output.toStdString();
        EXPECT_TRUE(runner.output.contains(S(u"W-732采集中:Zorvane要求验证,请在打开的页面中完成验证后点击启动继续采集_")
                                           + detailPageAddress(732)));
        // Nothing lost: the item at the wall on top, the rest after it.
        EXPECT_TRUE(listData().contains(S(u"<readyDownList>\r\nW-732|") + detailPageAddress(732) + S(u"\r\nW-733|")
                                        + detailPageAddress(733) + S(u"\r\n<AlreadyDownedList>\r\nW-731|")))
            << listData().toStdString();
    }
    wall.pass();
    Runner again(common() + QStringList{QStringLiteral("--fast")});
    ASSERT_TRUE(again.waitForExit());
    EXPECT_EQ(again.process.exitCode(), 0) << again.output.toStdString();
    EXPECT_TRUE(listData().contains(S(u"<readyDownList>\r\n<AlreadyDownedList>\r\nW-731|")));
    EXPECT_EQ(listData().count(S(u"|验证墙宝贝")), 3);
}

TEST_F(RunnerTest, OverHttpsAShopIsCollectedItsSoldOutItemGoesBackAndANewOnlyRunCollectsNothing)
{
    FixtureServer &server = sharedServer();
    server.moveToHttps(S(u".zorvane.com"));
    const auto back = qScopeGuard([&] { server.moveToHttps(QString()); });
    // The offer list names most items over https, one over http as old shops do.
    const auto secure = [](int id) { return detailPageAddress(id).replace(S(u"http:"), S(u"https:")); };
    servePage(server, shopOfferListAddress(S(u"tlsshop"), 1),
              shopOfferListHtml({S(u"第1页"), {secure(761), secure(763), detailPageAddress(762)}}));
    servePage(server, shopOfferListAddress(S(u"tlsshop"), 2), shopOfferListHtml({S(u"第2页"), {}}));
    servePage(server, S(u"http://tlsshop.zorvane.com/"), plainPageHtml(S(u"店铺首页"), S(u"<p>欢迎</p>")));
    for (const int id : {761, 762}) {
        DetailPage item;
        item.title = S(u"安全宝贝") + QString::number(id);
        servePage(server, detailPageAddress(id), detailPageHtml(item));
    }
    FixtureServer::Response offSale = FixtureServer::status(302);
    offSale.location = "https://tlsshop.zorvane.com/";
    offSale.delayMs = 1500; // a busy marketplace: the rule waits for late answers
    FixtureServer::Response known = FixtureServer::page(detailPageHtml([] { DetailPage p; p.title = S(u"安全宝贝761"); return p; }()));
    known.delayMs = 700;
    server.route(S(u"detail.zorvane.com/offer/761.html"), known);
    server.route(S(u"detail.zorvane.com/offer/763.html"), offSale);
    const QString soldOut = S(u"tlsshop#2采集中:页面被转到https://tlsshop.zorvane.com/,可能已下架_") + secure(763);
    {
        Runner runner(common() + QStringList{QStringLiteral("--shop"), S(u"https://tlsshop.zorvane.com"), QStringLiteral("--fast")});
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 0) << runner.output.toStdString();
        EXPECT_TRUE(runner.output.contains(soldOut)) << runner.output.toStdString();
        EXPECT_TRUE(listData().contains(secure(763) + S(u"|tlsshop#2\r\n<readyDownList>\r\n<AlreadyDownedList>")))
            << listData().toStdString();
        EXPECT_TRUE(listData().contains(S(u"|https://detail.zorvane.com/offer/762.html\r\n"))) << listData().toStdString();
        EXPECT_EQ(listData().count(S(u"|安全宝贝")), 2);
    }
    // A week later over http: the two are known, the one off sale is tried and given back again.
    Runner again(common() + QStringList{QStringLiteral("--shop"), S(u"http://tlsshop.zorvane.com"), QStringLiteral("--new-only")});
    ASSERT_TRUE(again.waitForExit());
    EXPECT_EQ(again.process.exitCode(), 0) << again.output.toStdString();
    EXPECT_TRUE(again.output.contains(S(u"店铺共3个宝贝,其中2个已下载过,加入1个新宝贝")));
    EXPECT_TRUE(again.output.contains(soldOut));
    EXPECT_EQ(listData().count(S(u"|安全宝贝")), 2);
    EXPECT_EQ(listData().count(S(u"|tlsshop#2")), 2) << "in the box once more";
}

TEST_F(RunnerTest, NewOnlySkipsWhatWasDownloadedForThisRunOnly)
{
    DetailPage item;
    item.title = S(u"只要新的");
    servePage(sharedServer(), detailPageAddress(741), detailPageHtml(item));
    const QString downloaded = S(u"D-1|旧的|/out/D-1|") + detailPageAddress(741) + S(u"?spm=old");
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")),
                       S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nN-1|") + detailPageAddress(741)
                           + S(u"\r\n<AlreadyDownedList>\r\n") + downloaded + S(u"\r\n"));
    Runner runner(common() + QStringList{QStringLiteral("--new-only")});
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 0);
    EXPECT_TRUE(runner.output.contains(S(u"N-1采集中:已下载过,跳过_") + detailPageAddress(741)));
    EXPECT_EQ(listData(), S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n") + downloaded + S(u"\r\n"));
    // The setting itself is left as it was.
    EXPECT_FALSE(readLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")))->contains(S(u"SkipDownloaded")));
}

TEST_F(RunnerTest, ExportWritesTheDownloadedListIntoASpreadsheetAndCollectsNothing)
{
    const QString item = QDir(folder.path()).filePath(QStringLiteral("宝贝1"));
    QDir().mkpath(item + QStringLiteral("/主图"));
    const QString lists = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nP-1|") + detailPageAddress(751)
        + S(u"\r\n<AlreadyDownedList>\r\nX-1|宝贝1|") + item + S(u"|") + detailPageAddress(750) + S(u"\r\n");
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")), lists);
    const QString sheet = QDir(folder.path()).filePath(QStringLiteral("表格"));
    {
        Runner runner(common() + QStringList{QStringLiteral("--export"), sheet});
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 0) << runner.output.toStdString();
        EXPECT_TRUE(runner.output.contains(S(u"已导出1个宝贝到") + sheet + S(u".xlsx")));
        EXPECT_TRUE(QFileInfo(sheet + S(u".xlsx")).isFile());
        EXPECT_EQ(listData(), lists) << "nothing collected";
    }
    Runner failing(common() + QStringList{QStringLiteral("--export"), QDir(folder.path()).filePath(QStringLiteral("没有的目录/表格.xlsx"))});
    ASSERT_TRUE(failing.waitForExit());
    EXPECT_EQ(failing.process.exitCode(), 7);
    EXPECT_TRUE(failing.output.contains(S(u"导出表格失败,原因:")));
}

TEST_F(RunnerTest, FourCollectorsEndAsOneWouldWithASlowItemSoldOutOnesAPageTwiceAndRefusedPictures)
{
    FixtureServer &server = sharedServer();
    // A good item answering late, then three taken off sale: no wall.
    DetailPage slow;
    slow.title = S(u"慢的好宝贝");
    FixtureServer::Response late = FixtureServer::page(detailPageHtml(slow));
    late.delayMs = 2500;
    server.route(S(u"detail.zorvane.com/offer/781.html"), late);
    servePage(server, S(u"http://rshop.zorvane.com/"), plainPageHtml(S(u"店铺首页"), S(u"<p>欢迎</p>")));
    for (const int id : {782, 783, 784}) {
        FixtureServer::Response offSale = FixtureServer::status(302);
        offSale.location = "http://rshop.zorvane.com/";
        server.route(QStringLiteral("detail.zorvane.com/offer/%1.html").arg(id), offSale);
    }
    // One page queued twice, with 跳过已下载: one folder.
    DetailPage twice;
    twice.title = S(u"排了两次的宝贝");
    servePage(server, detailPageAddress(785), detailPageHtml(twice));
    // A picture host that refuses every picture of an item.
    DetailPage refused;
    refused.title = S(u"图片被拒");
    refused.mainImages = {imageAddress(server, S(u"refused-m1.jpg"))};
    refused.descImages = {imageAddress(server, S(u"refused-d1.jpg"))};
    for (const QString &picture : refused.mainImages + refused.descImages)
        server.route(QUrl(picture).path(), FixtureServer::status(503));
    servePage(server, detailPageAddress(786), detailPageHtml(refused));
    QString lists = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n");
    for (const auto &[itemNo, id] : QList<std::pair<QString, int>>{{S(u"G-1"), 781}, {S(u"S-2"), 782}, {S(u"S-3"), 783},
                                                                   {S(u"S-4"), 784}, {S(u"P-5"), 785}, {S(u"P-6"), 785},
                                                                   {S(u"R-7"), 786}})
        lists += itemNo + u'|' + detailPageAddress(id) + S(u"\r\n");
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")), lists + S(u"<AlreadyDownedList>\r\n"));

    Runner runner(common() + QStringList{QStringLiteral("--collectors"), QStringLiteral("4"), QStringLiteral("--new-only"), QStringLiteral("--fast")});
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 0) << runner.output.toStdString();
    const QString data = listData();
    for (const int id : {782, 783, 784})
        EXPECT_TRUE(runner.output.contains(QStringLiteral("采集中:页面被转到http://rshop.zorvane.com/,可能已下架_") + detailPageAddress(id)));
    EXPECT_TRUE(runner.output.contains(S(u"P-6采集中:已下载过,跳过_") + detailPageAddress(785)));
    EXPECT_TRUE(runner.output.contains(S(u"R-7采集中:2张图片都未能下载(图片服务器回答503),已放弃该宝贝_")));
    EXPECT_FALSE(runner.output.contains(S(u"R-7采集中:采集成功")));
    // The box: the three off sale and the item without pictures; downloaded: the slow item and the page once.
    const QString box = data.section(S(u"<readyDownList>"), 0, 0);
    for (const QString &back : {S(u"782.html|S-2"), S(u"783.html|S-3"), S(u"784.html|S-4"), S(u"786.html|R-7")})
        EXPECT_TRUE(box.contains(back)) << box.toStdString();
    EXPECT_TRUE(data.contains(S(u"<readyDownList>\r\n<AlreadyDownedList>\r\n"))) << data.toStdString();
    EXPECT_EQ(data.count(S(u"|慢的好宝贝|")), 1);
    EXPECT_EQ(data.count(S(u"|排了两次的宝贝|")), 1);
    EXPECT_FALSE(QFileInfo::exists(QDir(folder.path()).filePath(S(u"排了两次的宝贝1"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(folder.path()).filePath(S(u"图片被拒"))));
}
