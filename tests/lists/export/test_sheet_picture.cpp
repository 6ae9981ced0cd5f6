#include "lists/export/sheet_picture.h"
#include "test_files.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A picture file's bytes at the given size and resolution.
QByteArray encoded(QSize size, const char *format, bool alpha = false, int dotsPerInch = 72)
{
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? QColor(0, 0, 255, 100) : QColor(Qt::green));
    image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
    image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

TEST(SheetPicture, FitsTheSquareKeepsTheShapeAndIsSizedAt96Dpi)
{
    const struct
    {
        const char *name;
        QByteArray file; // empty: no file at all
        QSize size;      // expected; empty: no picture
        const char *format;
    } cases[] = {
        {"square", encoded({800, 800}, "JPG"), {80, 80}, "jpeg"},
        {"wide", encoded({800, 600}, "JPG"), {80, 60}, "jpeg"},
        {"tall", encoded({200, 1000}, "JPG"), {16, 80}, "jpeg"},
        {"small_not_enlarged", encoded({50, 40}, "JPG"), {50, 40}, "jpeg"},
        {"exactly_the_side", encoded({80, 20}, "PNG"), {80, 20}, "jpeg"},
        {"transparent_stays_png", encoded({400, 200}, "PNG", true), {80, 40}, "png"},
        {"webp", encoded({160, 160}, "WEBP"), {80, 80}, "jpeg"},
        {"no_picture", QByteArray("<html>error</html>"), {}, ""},
        {"no_file", QByteArray(), {}, ""},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (!c.file.isEmpty())
            writeBytes(path, c.file);
        const SheetPicture picture = sheetPicture(path, 80);
        ASSERT_EQ(picture.isNull(), c.size.isEmpty());
        if (picture.isNull())
            continue;
        EXPECT_EQ(picture.size, c.size);
        const QImage decoded = QImage::fromData(picture.bytes, c.format);
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(decoded.size(), c.size);
        // The spreadsheet would draw a 72 dpi picture a third larger than its row.
        EXPECT_EQ(qRound(decoded.dotsPerMeterX() * 0.0254), 96);
        EXPECT_EQ(qRound(decoded.dotsPerMeterY() * 0.0254), 96);
    }
    EXPECT_TRUE(sheetPicture(QString(), 80).isNull());
}
