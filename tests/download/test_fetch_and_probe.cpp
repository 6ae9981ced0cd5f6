#include "test_files.h"
#include "file_faults.h"
#include "fixture_server.h"
#include "pictures.h"
#include "test_app.h"

#include "download/fetcher_pool.h"
#include "download/host_connections.h"
#include "download/unique_folder.h"
#include "platform/net/http_fetcher.h"
#include "platform/files/image_reader_probe.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {



class FetchTest : public ::testing::Test
{
protected:
    std::optional<FetchResult> fetch(const QString &address, const QString &name = QStringLiteral("p.jpg"))
    {
        std::optional<FetchResult> result;
        fetcher.FetchToFile(address, dir.filePath(name), [&](const FetchResult &r) { result = r; });
        EXPECT_TRUE(waitUntil([&] { return result.has_value(); }));
        return result;
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

    FixtureServer server;
    QTemporaryDir dir;
    HttpFetcher fetcher{HttpFetcher::Limits{500, 1024 * 1024, 10}};
};

} // namespace

TEST_F(FetchTest, SavesAWholeAnswer)
{
    const QByteArray picture = makePicture(640, 480);
    server.route(QStringLiteral("/a.jpg"), FixtureServer::bytes(picture, "image/jpeg"));
    const auto r = fetch(server.base() + QStringLiteral("/a.jpg"));
    EXPECT_TRUE(r->ok);
    EXPECT_EQ(r->httpStatus, 200);
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("p.jpg"))), picture);
    EXPECT_EQ(files(), QStringList{QStringLiteral("p.jpg")});
}

TEST_F(FetchTest, FollowsRedirects)
{
    const QByteArray picture = makePicture(100, 100, "PNG");
    FixtureServer::Response moved = FixtureServer::status(302);
    moved.location = (server.base() + QStringLiteral("/real.png")).toUtf8();
    server.route(QStringLiteral("/moved.png"), moved);
    server.route(QStringLiteral("/real.png"), FixtureServer::bytes(picture, "image/png"));
    const auto r = fetch(server.base() + QStringLiteral("/moved.png"));
    EXPECT_TRUE(r->ok);
    EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("p.jpg"))), picture);
}

TEST_F(FetchTest, FailedTransfersLeaveNoFile)
{
    server.route(QStringLiteral("/error.jpg"), FixtureServer::status(500, "<html>error</html>"));
    FixtureServer::Response stalled = FixtureServer::bytes(makePicture(50, 50), "image/jpeg");
    stalled.stall = true;
    server.route(QStringLiteral("/stall.jpg"), stalled);
    server.route(QStringLiteral("/huge.bmp"), FixtureServer::bytes(QByteArray(2 * 1024 * 1024, 'x'), "image/bmp"));

    int refusedPort = 0;
    {
        FixtureServer closed;
        refusedPort = closed.port();
    }
    const struct
    {
        const char *name;
        QString address;
        int status;
    } cases[] = {
        {"not found", server.base() + QStringLiteral("/missing.jpg"), 404},
        {"server error page", server.base() + QStringLiteral("/error.jpg"), 500},
        {"stalls past the time-out", server.base() + QStringLiteral("/stall.jpg"), 0},
        {"larger than the cap", server.base() + QStringLiteral("/huge.bmp"), 200},
        {"connection refused", QStringLiteral("http://127.0.0.1:%1/x.jpg").arg(refusedPort), 0},
        {"not an address", QStringLiteral("no address at all"), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = fetch(c.address);
        EXPECT_FALSE(r->ok);
        EXPECT_EQ(r->httpStatus, c.status);
        EXPECT_FALSE(r->error.isEmpty());
        EXPECT_TRUE(files().isEmpty()) << files().join(u',').toStdString();
    }
    server.releaseStalls();
}

TEST_F(FetchTest, FullDiskLeavesNoFileAndIsToldApart)
{
    server.route(QStringLiteral("/big.bmp"), FixtureServer::bytes(makePicture(300, 300, "BMP"), "image/bmp"));
    {
        FileSizeLimit full(1000);
        const auto r = fetch(server.base() + QStringLiteral("/big.bmp"));
        EXPECT_FALSE(r->ok);
        EXPECT_TRUE(r->fileError);
        EXPECT_TRUE(files().isEmpty());
    }
    const auto missing = fetch(server.base() + QStringLiteral("/missing.bmp"));
    EXPECT_FALSE(missing->fileError) << "a failed transfer is not the folder's fault";
}

TEST_F(FetchTest, ATrickleEndsAtTheWholeTransferDeadline)
{
    HttpFetcher patient{HttpFetcher::Limits{5000, 1024 * 1024, 10, 400}};
    FixtureServer::Response trickle = FixtureServer::bytes(QByteArray(200, 'x'), "image/jpeg");
    trickle.trickleMs = 20; // a byte every 20 ms: never idle long enough for the idle time-out
    server.route(QStringLiteral("/trickle.jpg"), trickle);
    std::optional<FetchResult> result;
    patient.FetchToFile(server.base() + QStringLiteral("/trickle.jpg"), dir.filePath(QStringLiteral("t.jpg")),
                        [&](const FetchResult &r) { result = r; });
    ASSERT_TRUE(waitUntil([&] { return result.has_value(); }));
    EXPECT_FALSE(result->ok);
    EXPECT_FALSE(result->fileError);
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(FetchTest, AddressesAreReadAsABrowserReadsThemButOnlyWebAddressesAreFetched)
{
    const QByteArray picture = makePicture(40, 40);
    server.route(QStringLiteral("/a%20b%22%3C%3E%7B%7D%7C%5E.jpg"), FixtureServer::bytes(picture, "image/jpeg"));
    server.route(QStringLiteral("/plain.jpg"), FixtureServer::bytes(picture, "image/jpeg"));
    const QString base = server.base();
    const struct
    {
        const char *name;
        QString address;
        bool fetched;
    } cases[] = {
        {"blanks and \"<>{}|^", base + QStringLiteral("/a b\"<>{}|^.jpg"), true},
        {"scheme in capitals", QStringLiteral("HTTP://127.0.0.1:%1/plain.jpg").arg(server.port()), true},
        {"file address", QStringLiteral("file:///etc/hostname"), false},
        {"ftp address", QStringLiteral("ftp://127.0.0.1/plain.jpg"), false},
        {"no host", QStringLiteral("http:///plain.jpg"), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = fetch(c.address);
        EXPECT_EQ(r->ok, c.fetched) << r->error.toStdString();
        EXPECT_EQ(readBytes(dir.filePath(QStringLiteral("p.jpg"))).isEmpty(), !c.fetched);
        QFile::remove(dir.filePath(QStringLiteral("p.jpg")));
    }
}

TEST_F(FetchTest, OneTransferAtATime)
{
    FixtureServer::Response stalled = FixtureServer::bytes("x", "image/jpeg");
    stalled.stall = true;
    server.route(QStringLiteral("/slow.jpg"), stalled);
    std::optional<FetchResult> first, second;
    fetcher.FetchToFile(server.base() + QStringLiteral("/slow.jpg"), dir.filePath(QStringLiteral("1.jpg")),
                        [&](const FetchResult &r) { first = r; });
    fetcher.FetchToFile(server.base() + QStringLiteral("/slow.jpg"), dir.filePath(QStringLiteral("2.jpg")),
                        [&](const FetchResult &r) { second = r; });
    ASSERT_TRUE(waitUntil([&] { return second.has_value(); }));
    EXPECT_FALSE(second->ok);
    EXPECT_FALSE(first.has_value());
    ASSERT_TRUE(waitUntil([&] { return server.hits(QStringLiteral("/slow.jpg")) == 1; })); // held, not on its way
    server.releaseStalls();
    ASSERT_TRUE(waitUntil([&] { return first.has_value(); }));
    EXPECT_TRUE(first->ok);
}

// A failure told from the event loop: until then the connection is not free,
// so a pool neither hands it the next picture nor lets it go.
TEST_F(FetchTest, AConnectionOwingAFailureIsBusyUntilItTellsIt)
{
    server.route(QStringLiteral("/p.jpg"), FixtureServer::bytes(makePicture(20, 20), "image/jpeg"));
    const QString good = server.base() + QStringLiteral("/p.jpg");
    const QString noFolder = dir.filePath(QStringLiteral("missing/p.jpg"));

    HostConnections hosts;
    FetcherPool pool(fetcher, &hosts, &fetcher);
    pool.resize(2);
    std::optional<FetchResult> unwritable, fetched;
    ASSERT_TRUE(pool.fetch(good, noFolder, [&](const FetchResult &r) { unwritable = r; }));
    ASSERT_TRUE(pool.fetch(good, dir.filePath(QStringLiteral("1.jpg")), [&](const FetchResult &r) { fetched = r; }));
    EXPECT_FALSE(pool.hasIdle());
    pool.resize(1); // the added connection owes a failure or runs a transfer: it stays
    ASSERT_TRUE(waitUntil([&] { return unwritable && fetched; }));
    EXPECT_TRUE(unwritable->fileError);
    EXPECT_TRUE(fetched->ok);
    EXPECT_EQ(hosts.inUse(good), 0); // each took its host's share once and gave it back once

    // Cancelled before it is told, the failure is not told at all.
    bool told = false;
    fetcher.FetchToFile(QStringLiteral("file:///etc/hostname"), dir.filePath(QStringLiteral("2.jpg")),
                        [&](const FetchResult &) { told = true; });
    EXPECT_TRUE(fetcher.isBusy());
    fetcher.cancel();
    EXPECT_FALSE(fetcher.isBusy());
    std::optional<FetchResult> after;
    fetcher.FetchToFile(good, dir.filePath(QStringLiteral("3.jpg")), [&](const FetchResult &r) { after = r; });
    ASSERT_TRUE(waitUntil([&] { return after.has_value(); }));
    EXPECT_TRUE(after->ok);
    EXPECT_FALSE(told);
}

// A 1x1 GIF whose declared width is 500: the reader fills the missing pixels.
static QByteArray gifOfWidth500()
{
    return QByteArray("GIF89a\xF4\x01\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00"
                      ",\x00\x00\x00\x00\xF4\x01\x01\x00\x00\x02\x02\x44\x01\x00;", 35);
}

TEST(PictureProbe, MeasuresAcceptedFormatsAndRejectsTheRest)
{
    QTemporaryDir dir;
    const QByteArray jpeg = makePicture(800, 60, "JPG");
    const QByteArray png = makePicture(300, 60, "PNG");
    const QByteArray bmp = makePicture(450, 20, "BMP");
    const struct
    {
        const char *name;
        QByteArray bytes;
        std::optional<int> width;
    } cases[] = {
        {"jpeg", jpeg, 800},
        {"png", png, 300},
        {"bmp", bmp, 450},
        {"webp", makePicture(790, 40, "WEBP"), 790},
        {"ico", makePicture(64, 64, "ICO"), 64},
        {"gif", gifOfWidth500(), 500},
        {"jpeg cut short", jpeg.left(jpeg.size() / 2), std::nullopt},
        {"png cut short", png.left(png.size() / 2), std::nullopt},
        {"bmp cut short", bmp.left(bmp.size() / 2), std::nullopt},
        {"html error page", "<html><body>404 Not Found</body></html>", std::nullopt},
        {"empty file", QByteArray(), std::nullopt},
        {"tiff is not accepted", makePicture(600, 20, "TIFF"), std::nullopt},
    };
    ImageReaderProbe probe;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        writeBytes(path, c.bytes);
        EXPECT_EQ(probe.pictureWidth(path), c.width);
    }
    EXPECT_EQ(probe.pictureWidth(dir.filePath(QStringLiteral("missing"))), std::nullopt);
}

TEST(MakeUniqueFolder, AppendsTheFirstFreeNumber)
{
    QTemporaryDir dir;
    const QString f = dir.filePath(QStringLiteral("F"));
    EXPECT_EQ(MakeUniqueFolder(f, 0), f);
    writeBytes(dir.filePath(QStringLiteral("F1")), "a file takes the name too");
    EXPECT_EQ(MakeUniqueFolder(f, 0), f + QStringLiteral("2"));
    EXPECT_EQ(MakeUniqueFolder(f, 0), f + QStringLiteral("3"));
    // An empty title names the output folder itself, which exists.
    EXPECT_EQ(MakeUniqueFolder(dir.path() + QStringLiteral("/"), 0), dir.path() + QStringLiteral("/1"));
    EXPECT_EQ(MakeUniqueFolder(dir.path() + QStringLiteral("/"), 0), dir.path() + QStringLiteral("/2"));
    EXPECT_TRUE(QFileInfo(f + QStringLiteral("2")).isDir());
}

TEST(MakeUniqueFolder, ReportsWhyItFailed)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_TRUE(MakeUniqueFolder(dir.filePath(QStringLiteral("missing/F")), 0, &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("上级目录不存在"));
    writeBytes(dir.filePath(QStringLiteral("file")), "x");
    EXPECT_TRUE(MakeUniqueFolder(dir.filePath(QStringLiteral("file/F")), 0, &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("路径中有同名文件"));
}

TEST(MakeUniqueFolder, LongTitlesAreCutToFitOneName)
{
    QTemporaryDir dir;
    const QString title = QString(200, QChar(0x5B9D)); // 宝 x200: 600 bytes in UTF-8
    const QString fitted = fitFolderName(title);
    EXPECT_TRUE(title.startsWith(fitted));
    EXPECT_LE(QFile::encodeName(fitted).size(), 245);
    EXPECT_FALSE(MakeUniqueFolder(dir.filePath(fitted), 0).isEmpty());
    EXPECT_FALSE(MakeUniqueFolder(dir.filePath(fitted), 0).isEmpty()) << "room for the appended number";
    EXPECT_EQ(fitFolderName(QStringLiteral("短标题")), QStringLiteral("短标题"));
    const QString emoji = QString(100, QChar(0x5B9D)) + QStringLiteral("😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀");
    EXPECT_FALSE(fitFolderName(emoji).back().isHighSurrogate());
}
