#include "pictures.h"
#include "test_app.h"
#include "test_files.h"

#include "platform/files/thumbnail_loader.h"

#include <QDir>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

class ThumbnailLoaderTest : public ::testing::Test
{
protected:
    ThumbnailLoaderTest() { pool.setMaxThreadCount(1); }

    QString picture(const QString &name, int width, int height, const char *format = "JPG")
    {
        const QString path = dir.filePath(name);
        writeBytes(path, makePicture(width, height, format));
        return path;
    }
    // Holds the pool's only thread until released, so that requests queue up.
    void blockPool()
    {
        pool.start([this] { gate.acquire(); });
    }
    bool settled(const ThumbnailLoader &loader)
    {
        return waitUntil([&] { return loader.pending() == 0; });
    }
    static QStringList paths(const QSignalSpy &spy)
    {
        QStringList all;
        for (const QList<QVariant> &signal : spy)
            all << signal.at(0).toString();
        return all;
    }

    QTemporaryDir dir;
    QThreadPool pool;
    QSemaphore gate;
};

} // namespace

TEST_F(ThumbnailLoaderTest, ThumbnailsArriveScaledToTheBoundWithTheirAspect)
{
    const struct
    {
        const char *name;
        int width, height;
        const char *format;
        QSize expected; // within a pixel, from rounding
    } cases[] = {
        {"tall.jpg", 800, 1200, "JPG", {107, 160}},
        {"wide.png", 1200, 300, "PNG", {160, 40}},
        {"small.bmp", 100, 50, "BMP", {100, 50}}, // never enlarged
        {"square", 400, 400, "JPG", {160, 160}},  // no extension: the content tells
    };
    ThumbnailLoader loader({QSize(160, 160), 1'000'000}, &pool);
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    QSignalSpy failed(&loader, &ThumbnailLoader::thumbnailFailed);
    for (const auto &c : cases)
        loader.request(picture(q(c.name), c.width, c.height, c.format));
    const QString broken = dir.filePath(q("broken.jpg"));
    writeBytes(broken, "<html>not found</html>");
    loader.request(broken);
    ASSERT_TRUE(settled(loader));

    EXPECT_EQ(paths(failed), QStringList{broken});
    ASSERT_EQ(ready.size(), std::size(cases));
    for (const auto &c : cases) {
        const QString path = dir.filePath(q(c.name));
        const auto signal = std::find_if(ready.cbegin(), ready.cend(),
                                         [&](const QList<QVariant> &s) { return s.at(0).toString() == path; });
        ASSERT_NE(signal, ready.cend()) << c.name;
        const QSize size = signal->at(1).value<QImage>().size();
        EXPECT_LE(std::abs(size.width() - c.expected.width()), 1) << c.name << " " << size.width();
        EXPECT_LE(std::abs(size.height() - c.expected.height()), 1) << c.name << " " << size.height();
    }
    EXPECT_EQ(loader.decoded(), int(std::size(cases)) + 1);
}

TEST_F(ThumbnailLoaderTest, StartingOverSkipsAndSilencesEarlierRequests)
{
    ThumbnailLoader loader({QSize(40, 40), 1'000'000}, &pool);
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    QSignalSpy failed(&loader, &ThumbnailLoader::thumbnailFailed);
    blockPool();
    for (int i = 1; i <= 20; ++i)
        loader.request(picture(QStringLiteral("old%1.jpg").arg(i), 80, 120));
    loader.request(dir.filePath(q("old-missing.jpg")));
    loader.startOver();
    const QString current = picture(q("current.jpg"), 80, 120);
    loader.request(current);
    EXPECT_EQ(loader.pending(), 22);
    gate.release();
    ASSERT_TRUE(settled(loader));

    EXPECT_EQ(paths(ready), QStringList{current});
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_EQ(loader.decoded(), 1); // the older ones were dropped, not decoded
}

TEST_F(ThumbnailLoaderTest, TheCacheKeepsTheLatestWithinItsBound)
{
    // A 40×40 thumbnail is 1,600 pixels: room for three.
    ThumbnailLoader loader({QSize(40, 40), 3 * 1600}, &pool);
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    QStringList pictures;
    for (int i = 1; i <= 6; ++i) {
        pictures << picture(QStringLiteral("p%1.jpg").arg(i), 80, 80);
        loader.request(pictures.last());
        ASSERT_TRUE(settled(loader)); // one after another: the order of use is known
    }
    EXPECT_EQ(loader.cachedCount(), 3);
    EXPECT_LE(loader.cachedPixels(), 3 * 1600);
    EXPECT_EQ(loader.decoded(), 6);

    // The latest comes from the cache before request() returns...
    ready.clear();
    loader.request(pictures.last());
    EXPECT_EQ(paths(ready), QStringList{pictures.last()});
    EXPECT_EQ(loader.pending(), 0);
    // ...the first was pushed out and is decoded again.
    loader.request(pictures.first());
    EXPECT_EQ(loader.pending(), 1);
    ASSERT_TRUE(settled(loader));
    EXPECT_EQ(loader.decoded(), 7);
    EXPECT_LE(loader.cachedPixels(), 3 * 1600);
}

TEST_F(ThumbnailLoaderTest, AChangedFileIsDecodedAgain)
{
    ThumbnailLoader loader({QSize(160, 160), 1'000'000}, &pool);
    QSignalSpy ready(&loader, &ThumbnailLoader::thumbnailReady);
    const QString path = picture(q("主图1.jpg"), 100, 50);
    loader.request(path);
    ASSERT_TRUE(settled(loader));
    picture(q("主图1.jpg"), 60, 90, "PNG");
    loader.request(path);
    ASSERT_TRUE(settled(loader));
    ASSERT_EQ(ready.size(), 2);
    EXPECT_EQ(ready.at(1).at(1).value<QImage>().size(), QSize(60, 90));
}
