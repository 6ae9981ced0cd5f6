#include "log_text.h"
#include "file_faults.h"
#include "fixture_server.h"
#include "pictures.h"
#include "test_app.h"
#include "test_files.h"

#include "collection/item_record.h"
#include "collection/status_log.h"
#include "download/item_download.h"
#include "lists/downloaded_search.h"
#include "lists/item_lines.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net/http_fetcher.h"
#include "platform/files/image_reader_probe.h"
#include "platform/files/text_file.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMap>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

class ItemDownloadTest : public ::testing::Test
{
protected:
    ItemDownloadTest()
    {
        output = QDir(program.path()).filePath(QStringLiteral("out"));
        QDir().mkpath(output);
        settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), output);
        lists.setAddUrlText(QString());
        server.route(QStringLiteral("/w800.jpg"), FixtureServer::bytes(makePicture(800, 40), "image/jpeg"));
        server.route(QStringLiteral("/w300.jpg"), FixtureServer::bytes(makePicture(300, 40), "image/jpeg"));
        server.route(QStringLiteral("/w790.png"), FixtureServer::bytes(makePicture(790, 40, "PNG"), "image/png"));
        server.route(QStringLiteral("/w450.jpg"), FixtureServer::bytes(makePicture(450, 40), "image/jpeg"));
        server.route(QStringLiteral("/error.jpg"),
                     FixtureServer::page(QStringLiteral("<html><body>出错了</body></html>")));
    }

    QString listPath() const { return QDir(program.path()).filePath(QStringLiteral("listdata.txt")); }
    QString url(const char *path) const { return server.base() + QString::fromLatin1(path); }

    ItemRecord &item() { return records.record(0); }

    void fill(const QString &itemNo, const QString &title, const QStringList &main, const QStringList &desc,
              const QList<AttributePair> &attributes = {})
    {
        item().PickItemNo = itemNo;
        item().PickTitle = title;
        item().PickUrl = QStringLiteral("http://detail.zorvane.com/offer/1.html");
        item().MainImgList = main;
        item().DescImgList = desc;
        item().AttrList = attributes;
        records.setPickBusy(0, true);
    }

    void run()
    {
        QSignalSpy finished(&download, &ItemDownload::finished);
        download.DownloadItemImages(0);
        ASSERT_TRUE(finished.count() == 1 || finished.wait(30000));
    }

    QStringList filesIn(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    static int widthOf(const QString &path) { return QImageReader(path).size().width(); }

    FixtureServer server;
    QTemporaryDir program;
    QString output;
    StatusLog log;
    Settings settings{program.path()};
    ListStore lists;
    ListFile listFile{lists, log, QDir(program.path()).filePath(QStringLiteral("listdata.txt"))};
    DownloadedSearch search{lists.AlreadyDownedList(), log};
    ItemRecordTable records;
    HttpFetcher fetcher{HttpFetcher::Limits{2000, 8 * 1024 * 1024, 5}};
    ImageReaderProbe probe;
    ItemDownload download{{records, lists, search, settings, log, fetcher, probe}};
};

} // namespace

TEST_F(ItemDownloadTest, SavesPicturesInfoFileAndDownloadedLine)
{
    fill(QStringLiteral("A-1"), QStringLiteral("T"),
         {url("/w800.jpg"), url("/w300.jpg"), url("/w790.png").replace(QStringLiteral(".png"), QStringLiteral(".PNG"))},
         {url("/w800.jpg"), url("/w300.jpg"), url("/w790.png")},
         {{q("颜色"), q("红")}, {q("货号"), QStringLiteral("A-1")}});
    server.route(QStringLiteral("/w790.PNG"), FixtureServer::bytes(makePicture(790, 40, "PNG"), "image/png"));
    run();

    const QString folder = QDir(output).filePath(QStringLiteral("T"));
    EXPECT_EQ(filesIn(folder + q("/主图")), (QStringList{q("主图1.jpg"), q("主图2.jpg"), q("主图3.PNG")}));
    // The narrow second picture is deleted and its number goes to the third.
    EXPECT_EQ(filesIn(folder + q("/描述图")), (QStringList{q("描述图1.jpg"), q("描述图2.png")}));
    EXPECT_EQ(widthOf(folder + q("/描述图/描述图1.jpg")), 800);
    EXPECT_EQ(widthOf(folder + q("/描述图/描述图2.png")), 790);

    const QString info = readLocalTextFile(folder + q("/宝贝基本信息.txt")).value();
    const QRegularExpression expected(
        QRegularExpression::anchoredPattern(q("宝贝货号：A-1\r\n宝贝标题：T\r\n宝贝链接：http://detail.zorvane.com/offer/1.html\r\n"
                                              "采集日期：\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d\\d:\\d\\d\r\n"
                                              "宝贝属性：\r\n颜色:红\r\n货号:A-1\r\n")));
    EXPECT_TRUE(expected.match(info).hasMatch()) << info.toStdString();

    EXPECT_EQ(lists.AlreadyDownedList().entries(),
              QStringList{QStringLiteral("A-1|T|") + folder + QStringLiteral("|http://detail.zorvane.com/offer/1.html")});
    EXPECT_TRUE(item().MainImgList.isEmpty());
    EXPECT_TRUE(item().DescImgList.isEmpty());
    EXPECT_TRUE(item().AttrList.isEmpty());
    // Writing the list file, with the item no longer under way, is the caller's.
    EXPECT_FALSE(QFileInfo::exists(listPath()));

    const QString u = QStringLiteral("http://detail.zorvane.com/offer/1.html");
    EXPECT_EQ(logMessages(log), (QStringList{
        QStringLiteral("A-1") + q("采集中:开始下载主图_") + u,
        QStringLiteral("A-1") + q("采集中:主图下载完成_") + u,
        QStringLiteral("A-1") + q("采集中:开始下载描述图_") + u,
        QStringLiteral("A-1") + q("采集中:描述图下载完成_") + u,
        QStringLiteral("A-1") + q("采集中:采集成功!选中已下载项，双击查看下集结果!_") + u}));
}

TEST_F(ItemDownloadTest, InfoFileWithoutAttributesHasFiveGbkLines)
{
    fill(QStringLiteral("B-2"), q("连衣裙"), {}, {});
    run();
    const QString folder = QDir(output).filePath(q("连衣裙"));
    QFile file(folder + q("/宝贝基本信息.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // "宝贝货号：" in GBK, the full-width colon being A3 BA.
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xB1\xA6\xB1\xB4\xBB\xF5\xBA\xC5\xA3\xBA" "B-2\r\n")));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\xB1\xA6\xB1\xB4\xCA\xF4\xD0\xD4\xA3\xBA\r\n"))); // 宝贝属性：
    EXPECT_EQ(bytes.count("\r\n"), 5);
    EXPECT_EQ(bytes.count('\n'), 5);
    // No description pictures: the folder stays empty, the item is still listed.
    EXPECT_TRUE(filesIn(folder + q("/描述图")).isEmpty());
    EXPECT_EQ(lists.AlreadyDownedList().count(), 1);
    EXPECT_TRUE(logMessages(log).contains(QStringLiteral("B-2") + q("采集中:描述图下载完成_") + item().PickUrl));
}

TEST_F(ItemDownloadTest, TakenFolderNamesGetNumbers)
{
    QDir(output).mkdir(QStringLiteral("F"));
    for (int i = 0; i < 2; ++i) {
        fill(QStringLiteral("n"), QStringLiteral("F"), {}, {});
        run();
    }
    for (int i = 0; i < 2; ++i) {
        fill(QStringLiteral("n"), QStringLiteral("///"), {}, {}); // cleans to an empty title
        run();
    }
    EXPECT_EQ(QDir(output).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("F"), QStringLiteral("F1"),
                           QStringLiteral("F2")}));
    // The list shows the title without the number, and the folder as created.
    EXPECT_EQ(DownloadedLine::parse(lists.AlreadyDownedList().at(1)).title, QStringLiteral("F"));
    EXPECT_TRUE(DownloadedLine::parse(lists.AlreadyDownedList().at(1)).folder.endsWith(QStringLiteral("/F2")));
    EXPECT_EQ(DownloadedLine::parse(lists.AlreadyDownedList().at(3)).title, QString());
}

TEST_F(ItemDownloadTest, FailedPicturesAreSkippedAndCounted)
{
    FixtureServer::Response stalled = FixtureServer::bytes(makePicture(900, 40), "image/jpeg");
    stalled.stall = true;
    server.route(QStringLiteral("/stall.jpg"), stalled);
    fill(QStringLiteral("C-3"), QStringLiteral("C"),
         {url("/w800.jpg"), url("/missing.jpg"), url("/error.jpg").replace(QStringLiteral("error"), QStringLiteral("e500"))},
         {url("/w800.jpg"), url("/missing.jpg"), url("/error.jpg"), url("/stall.jpg"), url("/w450.jpg")});
    server.route(QStringLiteral("/e500.jpg"), FixtureServer::status(500, "<html>server error</html>"));
    run();
    server.releaseStalls();

    const QString folder = QDir(output).filePath(QStringLiteral("C"));
    // Error pages never become main pictures; position numbers stay those of the list.
    EXPECT_EQ(filesIn(folder + q("/主图")), QStringList{q("主图1.jpg")});
    // The pictures after a failed one are kept; a 450-pixel picture stays.
    EXPECT_EQ(filesIn(folder + q("/描述图")), (QStringList{q("描述图1.jpg"), q("描述图2.jpg")}));
    EXPECT_EQ(widthOf(folder + q("/描述图/描述图2.jpg")), 450);
    const QStringList m = logMessages(log);
    ASSERT_GE(m.size(), 2);
    EXPECT_EQ(m.at(m.size() - 2), QStringLiteral("C-3") + q("采集中:有4张图片未能下载(主图2张,描述图2张)_") + item().PickUrl);
    EXPECT_TRUE(m.last().contains(q("采集成功")));
}

TEST_F(ItemDownloadTest, ExtensionCannotLeaveTheFolder)
{
    server.route(QStringLiteral("/p?x=/../"), FixtureServer::bytes(makePicture(600, 40), "image/jpeg"));
    fill(QStringLiteral("D"), QStringLiteral("D"), {url("/p?x=/../")}, {url("/p?x=/../")});
    run();
    const QString folder = QDir(output).filePath(QStringLiteral("D"));
    EXPECT_EQ(filesIn(folder + q("/主图")), QStringList{q("主图1..")});
    EXPECT_EQ(filesIn(folder + q("/描述图")), QStringList{q("描述图1..")});
    EXPECT_EQ(filesIn(folder), QStringList{q("宝贝基本信息.txt")});
}

TEST_F(ItemDownloadTest, RefreshesTheDownloadedSearchButLeavesTheUsersSelection)
{
    ItemList &downloaded = lists.AlreadyDownedList();
    downloaded.append(QStringLiteral("old|Red|/o/1|u"));
    downloaded.append(QStringLiteral("other|Blue|/o/2|v"));
    search.setFindStrTextVisible(true);
    search.setFindStrText(QStringLiteral("Red"));
    search.FindADLSub();
    // The user then picks the other entry, for a command about to be pressed.
    downloaded.setSelected(0, false);
    downloaded.setSelected(1, true);
    fill(QStringLiteral("E"), QStringLiteral("Red hat"), {}, {});
    run();
    EXPECT_TRUE(logMessages(log).contains(q("已下载列表发生变更,重新查询关键字:Red")));
    EXPECT_EQ(search.ucolFindIndex(), (QStringList{QStringLiteral("0"), QStringLiteral("2")}));
    EXPECT_EQ(downloaded.selectedCount(), 1);
    EXPECT_TRUE(downloaded.isSelected(1));
}

TEST_F(ItemDownloadTest, MainPicturesThatArePlainlyNotPicturesAreNotSaved)
{
    const QByteArray html = "\xEF\xBB\xBF  <!DOCTYPE html><html><body>出错了</body></html>";
    server.route(QStringLiteral("/html-as-jpeg.jpg"), FixtureServer::bytes(html, "image/jpeg"));
    server.route(QStringLiteral("/text.jpg"), FixtureServer::bytes("GIF89a? no, plain text", "text/plain"));
    // Not decodable here, but nothing says it is not a picture: kept as before.
    server.route(QStringLiteral("/odd.jpg"), FixtureServer::bytes(QByteArray("\x00\x01\x02odd", 6), "image/x-odd"));
    fill(QStringLiteral("H"), QStringLiteral("H"),
         {url("/error.jpg"), url("/html-as-jpeg.jpg"), url("/text.jpg"), url("/odd.jpg"), url("/w800.jpg")}, {});
    run();
    const QString folder = QDir(output).filePath(QStringLiteral("H"));
    EXPECT_EQ(filesIn(folder + q("/主图")), (QStringList{q("主图4.jpg"), q("主图5.jpg")}));
    EXPECT_TRUE(logMessages(log).contains(QStringLiteral("H") + q("采集中:有3张图片未能下载(主图3张,描述图0张)_") + item().PickUrl));
}

TEST_F(ItemDownloadTest, AnItemTheSaveFolderCannotTakeFailsAndLeavesNothing)
{
    const struct
    {
        const char *name;
        QString outputFolder;
        rlim_t fileSizeLimit;
        QString reason;
    } cases[] = {
        {"no save folder set", QString(), RLIM_INFINITY, q("未设定图片保存目录")},
        {"save folder missing", QDir(output).filePath(QStringLiteral("gone")), RLIM_INFINITY, q("上级目录不存在")},
        {"disk full for a picture", output, 1000, q("保存目录无法写入")},
        {"disk full for the info file only", output, 100, q("宝贝基本信息.txt写入失败")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), c.outputFolder);
        lists.readyDownList().clear();
        lists.readyDownList().append(QStringLiteral("next|http://detail.zorvane.com/offer/2.html"));
        const QString title = QStringLiteral("zorvane-test-item-%1").arg(QCoreApplication::applicationPid());
        const bool pictures = c.fileSizeLimit != 100;
        fill(QStringLiteral("G-7"), title, pictures ? QStringList{url("/w800.jpg")} : QStringList{},
             pictures ? QStringList{url("/w800.jpg")} : QStringList{}, {{q("颜色"), QString(200, u'红')}});
        QSignalSpy failed(&download, &ItemDownload::failed);
        QSignalSpy finished(&download, &ItemDownload::finished);
        {
            FileSizeLimit limit(c.fileSizeLimit);
            download.DownloadItemImages(0);
            ASSERT_TRUE(failed.count() == 1 || failed.wait(30000));
        }
        EXPECT_TRUE(failed.first().at(1).toString().contains(c.reason)) << failed.first().at(1).toString().toStdString();
        EXPECT_EQ(finished.count(), 0);
        // What happens to the item is the caller's business: the lists are as they were.
        EXPECT_EQ(lists.readyDownList().entries(), QStringList{QStringLiteral("next|http://detail.zorvane.com/offer/2.html")});
        EXPECT_EQ(lists.AlreadyDownedList().count(), 0);
        EXPECT_TRUE(item().MainImgList.isEmpty() && item().DescImgList.isEmpty() && item().AttrList.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/") + title));
        EXPECT_FALSE(QFileInfo::exists(QDir(output).filePath(title))) << "no half item is left behind";
        EXPECT_FALSE(logMessages(log).join(u'\n').contains(q("采集成功")));
    }
}

TEST_F(ItemDownloadTest, PicturesFetchedAtOnceKeepTheirNumbersAndTheLog)
{
    // The first pictures answer last, and one in the middle fails.
    const auto slow = [&](const char *path, const QByteArray &body, int delayMs) {
        FixtureServer::Response r = FixtureServer::bytes(body, "image/jpeg");
        r.delayMs = delayMs;
        server.route(QString::fromLatin1(path), r);
    };
    slow("/slow800.jpg", makePicture(800, 40), 300);
    slow("/slow300.jpg", makePicture(300, 40), 200);
    slow("/slow790.jpg", makePicture(790, 40), 100);
    const QStringList main{url("/slow800.jpg"), url("/missing.jpg"), url("/w450.jpg")};
    const QStringList desc{url("/slow800.jpg"), url("/slow300.jpg"), url("/missing.jpg"), url("/slow790.jpg"),
                           url("/w450.jpg")};
    QMap<QString, QByteArray> folders[2];
    QStringList logs[2];
    for (const int connections : {1, 4}) {
        SCOPED_TRACE(connections);
        const int i = connections > 1;
        const qsizetype logged = logMessages(log).size();
        download.setConnections(connections);
        EXPECT_EQ(download.connections(), connections);
        fill(QStringLiteral("P"), QStringLiteral("P%1").arg(connections), main, desc);
        QList<int> progress;
        QObject::connect(&download, &ItemDownload::picturesProgressed, &download,
                         [&](int done, int total) { progress << done << total; });
        run();
        const QString folder = QDir(output).filePath(QStringLiteral("P%1").arg(connections));
        for (const QString &sub : {q("主图"), q("描述图")})
            for (const QString &file : filesIn(folder + u'/' + sub))
                folders[i].insert(sub + u'/' + file, readBytes(folder + u'/' + sub + u'/' + file));
        logs[i] = logMessages(log).mid(logged);
        EXPECT_EQ(progress.mid(progress.size() - 2), (QList<int>{8, 8}));
        download.disconnect(&download);
    }
    EXPECT_EQ(folders[0].keys(), (QStringList{q("主图/主图1.jpg"), q("主图/主图3.jpg"), q("描述图/描述图1.jpg"),
                                              q("描述图/描述图2.jpg"), q("描述图/描述图3.jpg")}));
    EXPECT_EQ(widthOf(QDir(output).filePath(q("P4/描述图/描述图2.jpg"))), 790);
    EXPECT_EQ(folders[1], folders[0]);
    EXPECT_EQ(logs[1], logs[0]);
    EXPECT_TRUE(logs[1].contains(QStringLiteral("P") + q("采集中:有2张图片未能下载(主图1张,描述图1张)_") + item().PickUrl));
}

TEST_F(ItemDownloadTest, PicturesFetchedAheadAreTakenNotFetchedAgain)
{
    FixtureServer::Response late = FixtureServer::bytes(makePicture(800, 40), "image/jpeg");
    late.delayMs = 300;
    server.route(QStringLiteral("/late800.jpg"), late);
    download.setConnections(4);
    download.prefetch({url("/w800.jpg"), url("/late800.jpg"), url("/missing.jpg")});
    ASSERT_TRUE(waitUntil([&] { return server.hits(QStringLiteral("/w800.jpg")) == 1; }));
    // Started before the slow one arrived: it waits for it rather than asking twice.
    fill(QStringLiteral("A"), QStringLiteral("Ahead"), {url("/w800.jpg"), url("/missing.jpg"), url("/w790.png")},
         {url("/late800.jpg"), url("/w300.jpg")});
    run();
    const QString folder = QDir(output).filePath(QStringLiteral("Ahead"));
    EXPECT_EQ(filesIn(folder + q("/主图")), (QStringList{q("主图1.jpg"), q("主图3.png")}));
    EXPECT_EQ(filesIn(folder + q("/描述图")), QStringList{q("描述图1.jpg")});
    EXPECT_EQ(server.hits(QStringLiteral("/w800.jpg")), 1);
    EXPECT_EQ(server.hits(QStringLiteral("/late800.jpg")), 1);
    EXPECT_EQ(server.hits(QStringLiteral("/missing.jpg")), 2) << "a failed fetch ahead is tried once more";

    // One connection fetches nothing ahead.
    download.setConnections(1);
    download.prefetch({url("/w450.jpg")});
    fill(QStringLiteral("B"), QStringLiteral("Behind"), {}, {});
    run();
    EXPECT_EQ(server.hits(QStringLiteral("/w450.jpg")), 0);
}
