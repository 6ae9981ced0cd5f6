// One item's 上架图 made from pictures the test writes, read back with Qt's
// own decoder: sizes, slices, white padding, the size limit, sRGB; and the
// item's own pictures untouched.
#include "listing_inputs.h"
#include "qt_printers.h"
#include "test_files.h"

#include "download/listing/listing_folder.h"
#include "download/listing/listing_job.h"
#include "download/listing/vips_pictures.h"

#include <QColorSpace>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace ListingInputs;

namespace {

const QColor Red(200, 30, 30), Blue(30, 40, 200), Green(40, 160, 60), Brown(200, 100, 50), White(255, 255, 255);
const QColor Vivid(240, 20, 20); // far from its numbers in Display P3

// As the download names them: the number, then the address's last four characters (".jpg", "webp").
QString picturePath(const QString &item, const QString &kind, int n, const char *ext)
{
    return QStringLiteral("%1/%2/%2%3%4").arg(item, kind).arg(n).arg(QStringLiteral(".%1").arg(QLatin1String(ext)).right(4));
}

QString mainPath(const QString &item, int n, const char *ext)
{
    return picturePath(item, QStringLiteral("主图"), n, ext);
}

QString descPath(const QString &item, int n, const char *ext)
{
    return picturePath(item, QStringLiteral("描述图"), n, ext);
}

// Dark glyphs all over a white ground, but for the plain rows given.
QImage textPicture(QSize size, const QList<int> &plainRows)
{
    QImage image = filled(size, White);
    QPainter painter(&image);
    for (int x = 10; x < size.width() - 10; x += 9)
        painter.fillRect(x, 0, 5, size.height(), QColor(30, 30, 30));
    painter.end();
    for (const int row : plainRows)
        std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(row)), size.width(), qRgb(255, 255, 255));
    return image;
}

QImage noise(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    return image;
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

struct Spot
{
    QPoint at;
    QColor colour;
};

struct PictureCase
{
    const char *name;
    std::function<void(const QString &item)> make;
    QList<QSize> mains;                     // 主图1.jpg … as they come out
    QList<QSize> descs;                     // 描述图1.jpg …
    QList<Spot> mainSpots;                  // colours in 主图1.jpg
    QStringList skipped;                    // starts of the outcome's notes
    ListingOptions options = {};
    int overLimit = 0;
};
ZORVANE_PRINT_AS_NAME(PictureCase)

PictureCase row(const char *name, std::function<void(const QString &)> make, QList<QSize> mains, QList<QSize> descs,
                QList<Spot> spots = {}, QStringList skipped = {}, ListingOptions options = {}, int overLimit = 0)
{
    return {name, std::move(make), std::move(mains), std::move(descs), std::move(spots), std::move(skipped), options,
            overLimit};
}

ListingOptions enlarging()
{
    ListingOptions options;
    options.enlargeMain = true;
    return options;
}

ListingOptions limitedTo(int kilobytes)
{
    ListingOptions options;
    options.sizeLimitKB = kilobytes;
    return options;
}

QByteArray digest(const QString &folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files.append(it.next());
    files.sort();
    for (const QString &file : std::as_const(files)) {
        hash.addData(file.toUtf8());
        hash.addData(readBytes(file));
    }
    return hash.result();
}

QByteArray ownPictures(const QString &item)
{
    return digest(item + QStringLiteral("/主图")) + digest(item + QStringLiteral("/描述图"));
}

class ListingPictures : public ::testing::TestWithParam<PictureCase> {};

} // namespace

TEST_P(ListingPictures, ComeOutAsTheShopWantsThem)
{
    const PictureCase &c = GetParam();
    QTemporaryDir root;
    const QString item = root.filePath(QStringLiteral("宝贝"));
    QDir().mkpath(item + QStringLiteral("/主图"));
    QDir().mkpath(item + QStringLiteral("/描述图"));
    c.make(item);
    const QByteArray before = ownPictures(item);

    VipsPictures maker;
    const std::atomic_bool stop = false;
    const ListingOutcome outcome = makeListing({QStringLiteral("A-1"), QStringLiteral("宝贝"), item, {}}, c.options, maker, stop);
    ASSERT_EQ(outcome.state, ListingOutcome::State::Made) << outcome.error.toStdString();
    EXPECT_EQ(outcome.mainFiles, c.mains.size());
    EXPECT_EQ(outcome.descFiles, c.descs.size());
    ASSERT_EQ(outcome.skipped.size(), c.skipped.size()) << outcome.skipped.join(u' ').toStdString();
    for (qsizetype i = 0; i < c.skipped.size(); ++i)
        EXPECT_TRUE(outcome.skipped.at(i).startsWith(c.skipped.at(i))) << outcome.skipped.at(i).toStdString();
    EXPECT_EQ(outcome.overLimit.size(), c.overLimit) << outcome.overLimit.join(u' ').toStdString();

    const QDir made(QDir(item).filePath(ListingFolder::name()));
    QStringList expected;
    for (qsizetype i = 1; i <= c.mains.size(); ++i)
        expected << QStringLiteral("主图%1.jpg").arg(i);
    for (qsizetype i = 1; i <= c.descs.size(); ++i)
        expected << QStringLiteral("描述图%1.jpg").arg(i);
    QStringList found = made.entryList(QDir::Files | QDir::Hidden);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    for (qsizetype i = 0; i < c.mains.size() + c.descs.size(); ++i) {
        const bool main = i < c.mains.size();
        const QString name = main ? QStringLiteral("主图%1.jpg").arg(i + 1) : QStringLiteral("描述图%1.jpg").arg(i - c.mains.size() + 1);
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = readBytes(made.filePath(name));
        if (c.overLimit == 0) {
            EXPECT_LE(bytes.size(), c.options.sizeLimitBytes());
        }
        const QImage image = QImage::fromData(bytes, "JPEG");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), main ? c.mains.at(i) : c.descs.at(i - c.mains.size()));
        EXPECT_TRUE(!image.colorSpace().isValid() || image.colorSpace() == QColorSpace(QColorSpace::SRgb))
            << "the output is sRGB";
        if (name == u"主图1.jpg") {
            for (const Spot &spot : c.mainSpots)
                EXPECT_TRUE(near(image.pixelColor(spot.at), spot.colour, 12))
                    << spot.at.x() << "," << spot.at.y() << ": " << image.pixelColor(spot.at).name().toStdString()
                    << " for " << spot.colour.name().toStdString();
        }
    }
    EXPECT_EQ(ownPictures(item), before) << "the item's own pictures are only read";
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ListingPictures,
    ::testing::Values(
        row("wide_fits_the_square_between_white_bands",
            [](const QString &i) { write(mainPath(i, 1, "jpg"), filled({1600, 400}, Red), "jpeg"); },
            {{800, 800}}, {}, {{{400, 150}, White}, {{400, 400}, Red}, {{400, 650}, White}}),
        row("tall_between_white_columns",
            [](const QString &i) { write(mainPath(i, 1, "png"), filled({300, 1200}, Blue), "png"); },
            {{800, 800}}, {}, {{{100, 400}, White}, {{400, 400}, Blue}, {{700, 400}, White}}),
        row("tiny_is_not_enlarged",
            [](const QString &i) { write(mainPath(i, 1, "jpg"), filled({40, 30}, Green), "jpeg"); },
            {{800, 800}}, {}, {{{400, 400}, Green}, {{370, 400}, White}, {{400, 420}, White}}),
        row("tiny_enlarged_when_asked",
            [](const QString &i) { write(mainPath(i, 1, "jpg"), filled({40, 30}, Green), "jpeg"); },
            {{800, 800}}, {}, {{{400, 150}, Green}, {{400, 60}, White}}, {}, enlarging()),
        row("transparency_on_white",
            [](const QString &i) {
                QImage image(600, 600, QImage::Format_ARGB32);
                image.fill(Qt::transparent);
                QPainter(&image).fillRect(0, 0, 300, 600, Red);
                write(mainPath(i, 1, "png"), image, "png");
            },
            {{800, 800}}, {}, {{{200, 400}, Red}, {{600, 400}, White}}),
        row("animated_gif_gives_its_first_frame",
            [](const QString &i) { writeAnimatedGif(mainPath(i, 1, "gif"), {400, 400}, {Red, Blue}); },
            {{800, 800}}, {}, {{{400, 400}, Red}, {{100, 100}, White}}),
        row("cmyk_jpeg_in_srgb",
            [](const QString &i) { writeCmykJpeg(mainPath(i, 1, "jpg"), {500, 500}, Brown); },
            {{800, 800}}, {}, {{{400, 400}, Brown}}),
        row("colour_profile_applied",
            [](const QString &i) { writeP3Png(mainPath(i, 1, "png"), {500, 500}, Vivid); },
            {{800, 800}}, {}, {{{400, 400}, Vivid}}),
        row("webp_main_and_description",
            [](const QString &i) {
                write(mainPath(i, 1, "webp"), filled({900, 700}, Green), "webp");
                write(descPath(i, 1, "webp"), filled({790, 1000}, Blue), "webp");
            },
            {{800, 800}}, {{750, 949}}, {{{400, 400}, Green}, {{400, 50}, White}}),
        row("no_picture_left_out_and_the_rest_numbered_on",
            [](const QString &i) {
                write(mainPath(i, 1, "jpg"), filled({800, 800}, Red), "jpeg");
                writeBytes(mainPath(i, 2, "jpg"), "<html><body>找不到页面</body></html>");
                write(mainPath(i, 3, "png"), filled({800, 800}, Blue), "png");
                writeBytes(descPath(i, 1, "jpg"), QByteArray(2000, '\0'));
                write(descPath(i, 2, "jpg"), filled({700, 900}, Red), "jpeg");
            },
            {{800, 800}, {800, 800}}, {{700, 900}}, {{{400, 400}, Red}},
            {QStringLiteral("主图2.jpg(不是图片"), QStringLiteral("描述图1.jpg(不是图片")}),
        row("description_pages_in_order_narrow_ones_kept",
            [](const QString &i) {
                write(descPath(i, 1, "jpg"), filled({600, 2000}, Red), "jpeg");
                write(descPath(i, 2, "png"), filled({790, 790}, Blue), "png");
            },
            {}, {{600, 1500}, {600, 500}, {750, 750}}),
        row("a_30000_px_description_in_slices",
            [](const QString &i) { write(descPath(i, 1, "jpg"), filled({790, 30000}, White), "jpeg"); },
            {}, QList<QSize>(18, QSize(750, 1500)) << QSize(750, 28481 - 18 * 1500)),
        // Noise is the hardest to compress: 560 KB at quality 90, 346 KB at 70.
        row("quality_lowered_to_fit",
            [](const QString &i) { write(mainPath(i, 1, "png"), noise({800, 800}), "png"); },
            {{800, 800}}, {}, {}, {}, limitedTo(450)),
        row("over_the_limit_at_seventy_is_reported",
            [](const QString &i) { write(mainPath(i, 1, "png"), noise({800, 800}), "png"); },
            {{800, 800}}, {}, {}, {}, limitedTo(50), 1)),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListingPictureInputs, TheProfileCaseHoldsOtherNumbersThanItsColour)
{
    EXPECT_FALSE(near(p3Pixel(Vivid), Vivid, 12)) << p3Pixel(Vivid).name().toStdString();
}

TEST(ListingSlices, NeverCutThroughTextWhenAPlainRowIsWithin200PxOfTheLimit)
{
    struct Case
    {
        int plainRow;
        QList<int> firstHeights; // where the first slice may end
    };
    // Rows 1300 to 1500 are in reach of the 1,500-px limit; row 1290 is not.
    for (const Case &c : {Case{1300, {1300, 1301}}, Case{1350, {1350, 1351}}, Case{1499, {1499, 1500}},
                          Case{1290, {1500}}}) {
        SCOPED_TRACE(c.plainRow);
        QTemporaryDir root;
        const QString item = root.filePath(QStringLiteral("宝贝"));
        QDir().mkpath(item + QStringLiteral("/描述图"));
        // 750 px wide: nothing is scaled, rows stay rows.
        write(descPath(item, 1, "png"), textPicture({750, 3000}, {c.plainRow}), "png");
        VipsPictures maker;
        QList<int> heights;
        QString error;
        ASSERT_TRUE(maker.descriptionSlices(descPath(item, 1, "png"), {}, [&](const ListingFile &slice) {
            heights.append(slice.size.height());
            return true;
        }, &error)) << error.toStdString();
        ASSERT_FALSE(heights.isEmpty());
        EXPECT_TRUE(c.firstHeights.contains(heights.first())) << heights.first();
        int total = 0;
        for (const int h : std::as_const(heights)) {
            EXPECT_LE(h, 1500);
            total += h;
        }
        EXPECT_EQ(total, 3000);
    }
}
