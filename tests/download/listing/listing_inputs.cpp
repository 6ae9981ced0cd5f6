// glib's headers use `signals` as a name: Qt's keywords are off for this file
// (the test printers come first, with Qt's headers).
#include <vips/vips.h>

#include "listing_inputs.h"

#include "download/listing/vips_pictures.h"

#include <QFile>
#include <QImageWriter>

#include <gtest/gtest.h>

namespace ListingInputs {

namespace {

// A libvips image of one sRGB colour.
VipsImage *solid(QSize size, QColor colour)
{
    VipsImage *black = nullptr, *coloured = nullptr, *bytes = nullptr;
    vips_black(&black, size.width(), size.height(), "bands", 3, nullptr);
    double zero[] = {0, 0, 0};
    double rgb[] = {double(colour.red()), double(colour.green()), double(colour.blue())};
    vips_linear(black, &coloured, zero, rgb, 3, nullptr);
    vips_cast_uchar(coloured, &bytes, nullptr);
    g_object_unref(black);
    g_object_unref(coloured);
    bytes->Type = VIPS_INTERPRETATION_sRGB;
    return bytes;
}

void check(int failed, const QString &what)
{
    ASSERT_EQ(failed, 0) << what.toStdString() << ": " << vips_error_buffer();
}

VipsImage *toProfile(VipsImage *image, const char *profile)
{
    VipsImage *out = nullptr;
    check(vips_icc_transform(image, &out, profile, "input_profile", "srgb", nullptr), QString::fromLatin1(profile));
    g_object_unref(image);
    return out;
}

} // namespace

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void write(const QString &path, const QImage &image, const char *format)
{
    QImageWriter writer(path, format);
    writer.setQuality(95);
    ASSERT_TRUE(writer.write(image)) << path.toStdString() << writer.errorString().toStdString();
}

void writeCmykJpeg(const QString &path, QSize size, QColor srgb)
{
    VipsPictures::initialise();
    VipsImage *cmyk = toProfile(solid(size, srgb), "cmyk");
    check(vips_jpegsave(cmyk, QFile::encodeName(path).constData(), "Q", 95, nullptr), path);
    g_object_unref(cmyk);
}

void writeP3Png(const QString &path, QSize size, QColor srgb)
{
    VipsPictures::initialise();
    VipsImage *p3 = toProfile(solid(size, srgb), "p3");
    check(vips_pngsave(p3, QFile::encodeName(path).constData(), nullptr), path);
    g_object_unref(p3);
}

QColor p3Pixel(QColor srgb)
{
    VipsPictures::initialise();
    VipsImage *p3 = toProfile(solid(QSize(1, 1), srgb), "p3");
    double *values = nullptr;
    int count = 0;
    vips_getpoint(p3, &values, &count, 0, 0, nullptr);
    const QColor pixel{int(values[0]), int(values[1]), int(values[2])};
    g_free(values);
    g_object_unref(p3);
    return pixel;
}

void writeAnimatedGif(const QString &path, QSize size, const QList<QColor> &frames)
{
    VipsPictures::initialise();
    std::vector<VipsImage *> pages;
    for (const QColor &colour : frames) {
        VipsImage *rgb = solid(size, colour), *rgba = nullptr;
        vips_bandjoin_const1(rgb, &rgba, 255, nullptr);
        g_object_unref(rgb);
        pages.push_back(rgba);
    }
    VipsImage *strip = nullptr;
    check(vips_arrayjoin(pages.data(), &strip, int(pages.size()), "across", 1, nullptr), path);
    for (VipsImage *page : pages)
        g_object_unref(page);
    vips_image_set_int(strip, VIPS_META_PAGE_HEIGHT, size.height());
    check(vips_gifsave(strip, QFile::encodeName(path).constData(), nullptr), path);
    g_object_unref(strip);
}

} // namespace ListingInputs
