#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// Pictures the tests give 上架图, written as the download would leave them.
// Qt writes the ordinary ones; libvips those Qt cannot (CMYK, a colour
// profile of another space, an animated GIF).
namespace ListingInputs {

// One colour all over, or a picture drawn by the test, in a format Qt writes ("jpeg", "png", "webp").
void write(const QString &path, const QImage &image, const char *format);
QImage filled(QSize size, QColor colour);
// The sRGB colour as a CMYK JPEG with libvips' CMYK profile embedded.
void writeCmykJpeg(const QString &path, QSize size, QColor srgb);
// The sRGB colour converted to Display P3, as a PNG carrying the P3 profile.
void writeP3Png(const QString &path, QSize size, QColor srgb);
// The colour the P3 PNG holds in its pixels.
QColor p3Pixel(QColor srgb);
// An animated GIF, one frame per colour.
void writeAnimatedGif(const QString &path, QSize size, const QList<QColor> &frames);

} // namespace ListingInputs
