#include "pictures.h"
#include "recording_desktop.h"
#include "test_app.h"
#include "test_files.h"

#include "shell/window/preview/item_preview_window.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

class PreviewWindowTest : public ::testing::Test
{
protected:
    PreviewWindowTest()
    {
        folder = dir.filePath(q("连衣裙 夏"));
        put(q("主图/主图1.jpg"), makePicture(800, 1200));
        put(q("主图/主图2.png"), makePicture(300, 200, "PNG"));
        put(q("描述图/描述图1.jpg"), makePicture(790, 400));
        put(q("描述图/描述图3.jpg"), QByteArray("<html>error</html>"));
        line = q("A-1|连衣裙 夏|") + folder + q("|http://detail.zorvane.com/offer/1.html");
    }

    void put(const QString &relative, const QByteArray &bytes)
    {
        const QString path = QDir(folder).filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        writeBytes(path, bytes);
    }
    // Shows the line and waits until every thumbnail is in.
    bool show(const QString &shown)
    {
        QSignalSpy all(&window, &ItemPreviewWindow::allShown);
        window.showItem(shown);
        return !all.isEmpty() || all.wait(30000);
    }
    QString text(const char *name) const
    {
        return window.findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    QListWidget *tiles() const { return window.findChild<QListWidget *>(QStringLiteral("PreviewPictures")); }
    QStringList tileTexts() const
    {
        QStringList texts;
        for (int i = 0; i < tiles()->count(); ++i)
            texts << tiles()->item(i)->text();
        return texts;
    }
    // The size of the picture a tile shows.
    QSize shownSize(int tile) const
    {
        const QList<QSize> sizes = tiles()->item(tile)->icon().availableSizes();
        return sizes.isEmpty() ? QSize() : sizes.first();
    }
    void doubleClick(int tile)
    {
        QListWidgetItem *item = tiles()->item(tile);
        // The view lays its items out a moment after they come.
        ASSERT_TRUE(waitUntil([&] { return !tiles()->visualItemRect(item).isEmpty(); }));
        const QPoint centre = tiles()->visualItemRect(item).center();
        // A press first, as a user's first click: QTest's double-click sends only the second.
        QTest::mouseClick(tiles()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(tiles()->viewport(), Qt::LeftButton, {}, centre);
    }

    QTemporaryDir dir;
    QString folder;
    QString line;
    RecordingOpener opener;
    ItemPreviewWindow window{opener};
};

} // namespace

TEST_F(PreviewWindowTest, ShowsTheItemAndItsPicturesInPageOrderWithTheirSizes)
{
    ASSERT_TRUE(show(line));
    EXPECT_EQ(window.windowTitle(), q("宝贝预览"));
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(text("PreviewTitle"), q("连衣裙 夏"));
    EXPECT_EQ(text("PreviewFacts"), q("货号：A-1　主图2张　描述图2张"));
    EXPECT_EQ(tileTexts(), (QStringList{q("主图1\n800×1200"), q("主图2\n300×200"), q("描述图1\n790×400"),
                                        q("描述图2\n缺失"), q("描述图3\n无法读取")}));
    // Thumbnails, not the grey stand-in of the whole tile: tall, wide, wide.
    EXPECT_EQ(shownSize(0).height(), 160);
    EXPECT_LT(shownSize(0).width(), 110);
    EXPECT_EQ(shownSize(1).width(), 160);
    EXPECT_LT(shownSize(1).height(), 110);
    EXPECT_EQ(shownSize(2).width(), 160);
    EXPECT_LT(shownSize(2).height(), 90);
    EXPECT_FALSE(window.findChild<QLabel *>(QStringLiteral("PreviewNotes"))->isVisibleTo(&window));
}

TEST_F(PreviewWindowTest, SaysWhatIsMissingInsteadOfPictures)
{
    const struct
    {
        const char *name;
        QString line;
        QString note;
    } cases[] = {
        {"folder gone", q("B-2|裙|") + dir.filePath(q("不在了")) + q("|http://x/2.html"),
         q("宝贝目录不存在:") + QDir::toNativeSeparators(dir.filePath(q("不在了")))},
        {"no folder in the line", q("B-3|裙"), q("已下载列表中没有记录该宝贝的目录")},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(show(line)); // an item with pictures before
        ASSERT_TRUE(show(c.line)) << c.name;
        EXPECT_EQ(text("PreviewNotes"), c.note) << c.name;
        EXPECT_TRUE(window.findChild<QLabel *>(QStringLiteral("PreviewNotes"))->isVisibleTo(&window)) << c.name;
        EXPECT_EQ(tiles()->count(), 0) << c.name;
        EXPECT_EQ(text("PreviewTitle"), q("裙")) << c.name;
    }
}

TEST_F(PreviewWindowTest, TheNextItemReplacesOneStillLoading)
{
    const QString other = dir.filePath(q("衬衫"));
    QDir().mkpath(other + q("/主图"));
    writeBytes(other + q("/主图/主图1.jpg"), makePicture(400, 200));
    QSignalSpy all(&window, &ItemPreviewWindow::allShown);
    window.showItem(line);
    window.showItem(q("C-1|衬衫|") + other + q("|http://x/3.html"));
    ASSERT_TRUE(all.wait(30000));
    // Whatever of the first item was under way, the window shows the second alone.
    EXPECT_EQ(tileTexts(), QStringList{q("主图1\n400×200")});
    EXPECT_EQ(shownSize(0), QSize(160, 80));
    EXPECT_EQ(text("PreviewTitle"), q("衬衫"));
}

TEST_F(PreviewWindowTest, DoubleClickOpensThePictureOnTheDesktop)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(show(line));
    doubleClick(1);
    EXPECT_EQ(opener.opened, QStringList{QDir(folder).filePath(q("主图/主图2.png"))});
    doubleClick(3); // the gap: nothing to open
    EXPECT_EQ(opener.opened.size(), 1);

    opener.hasFileViewer = false;
    doubleClick(0);
    EXPECT_EQ(text("PreviewNotes"),
              QString(q("无法打开图片:") + QDir::toNativeSeparators(QDir(folder).filePath(q("主图/主图1.jpg")))));
    EXPECT_TRUE(window.findChild<QLabel *>(QStringLiteral("PreviewNotes"))->isVisible());
    // A later picture that opens takes the line away.
    opener.hasFileViewer = true;
    doubleClick(0);
    EXPECT_FALSE(window.findChild<QLabel *>(QStringLiteral("PreviewNotes"))->isVisible());
}

// Each picture whole in its tile's square, its shape kept, and the squares
// in the same place in every tile: the captions under them in one line.
TEST_F(PreviewWindowTest, PicturesKeepTheirShapeWholeAboveTheirCaptions)
{
    const QList<QSize> sizes = {{600, 1200}, {1200, 600}, {800, 800}, {100, 50}}, shown = {{80, 160}, {160, 80}, {160, 160}, {100, 50}};
    const QString shapes = dir.filePath(q("形状"));
    QDir().mkpath(shapes + q("/主图"));
    for (int i = 0; i < sizes.size(); ++i) {
        QImage picture(sizes.at(i), QImage::Format_RGB32);
        picture.fill(Qt::magenta);
        picture.save(shapes + q("/主图/主图%1.png").arg(i + 1));
    }
    window.show();
    ASSERT_TRUE(show(q("S-1|形状|") + shapes + q("|http://x/4.html")));
    // In the display's own pixels: the build runs this at more than one scale.
    const QImage view = tiles()->viewport()->grab().toImage();
    const qreal scale = view.devicePixelRatio();
    QList<int> middles, captions;
    for (int i = 0; i < sizes.size(); ++i) {
        const QRect logical = tiles()->visualItemRect(tiles()->item(i)), tile(logical.topLeft() * scale, logical.size() * scale);
        QRect picture, caption;
        for (int y = tile.top(); y <= tile.bottom(); ++y) {
            for (int x = tile.left(); x <= tile.right(); ++x) {
                if (view.pixelColor(x, y) == Qt::magenta)
                    picture |= QRect(x, y, 1, 1);
                else if (view.pixelColor(x, y).lightness() < 100)
                    caption |= QRect(x, y, 1, 1);
            }
        }
        EXPECT_NEAR(picture.width(), shown.at(i).width() * scale, 1) << i;
        EXPECT_NEAR(picture.height(), shown.at(i).height() * scale, 1) << i;
        middles << picture.center().y() - tile.top();
        captions << caption.top() - tile.top();
    }
    std::sort(middles.begin(), middles.end());
    std::sort(captions.begin(), captions.end());
    EXPECT_LE(middles.last() - middles.first(), 1);
    EXPECT_LE(captions.last() - captions.first(), 1);
    EXPECT_GT(captions.first(), middles.last() + 80 * scale) << "captions under the squares";
}

// White pictures on the list's white: each shows where it ends, and a caption
// stands nearer its own picture than the next row's.
TEST_F(PreviewWindowTest, AWhitePictureShowsItsEdgeAndItsCaptionBelongsToIt)
{
    const QString white = dir.filePath(q("白底"));
    QDir().mkpath(white + q("/主图"));
    QImage picture(800, 800, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int i = 1; i <= 8; ++i)
        picture.save(white + q("/主图/主图%1.png").arg(i));
    window.show();
    ASSERT_TRUE(show(q("W-1|白底|") + white + q("|http://x/5.html")));
    const QImage view = tiles()->viewport()->grab().toImage();
    const qreal scale = view.devicePixelRatio();
    // From the middle of a tile's picture each way, as far as it is white.
    const auto extent = [&](int i) {
        const QRect logical = tiles()->visualItemRect(tiles()->item(i)), tile(logical.topLeft() * scale, logical.size() * scale);
        const QPoint middle(tile.center().x(), tile.top() + qRound(86 * scale));
        const auto walk = [&](QPoint step) {
            QPoint p = middle;
            while (tile.contains(p + step) && view.pixelColor(p + step) == Qt::white)
                p += step;
            return p;
        };
        return QRect(QPoint(walk({-1, 0}).x(), walk({0, -1}).y()), QPoint(walk({1, 0}).x(), walk({0, 1}).y()));
    };
    const QRect first = extent(0), below = extent(4);
    ASSERT_GT(below.top(), first.bottom()) << "four tiles to a row";
    EXPECT_NEAR(first.width(), 160 * scale, 2);
    EXPECT_NEAR(first.height(), 160 * scale, 2);
    QRect caption;
    for (int y = first.bottom() + 1; y < below.top(); ++y) {
        for (int x = first.left(); x <= first.right(); ++x)
            caption |= view.pixelColor(x, y).lightness() < 100 ? QRect(x, y, 1, 1) : QRect();
    }
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_LT(caption.top() - first.bottom(), below.top() - caption.bottom());
}
