#include "lists/export/sheet_picture.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

SheetPicture sheetPicture(const QString &path, int side)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    QSize size = reader.size();
    if (!size.isValid())
        return {};
    if (size.width() > side || size.height() > side) {
        size.scale(side, side, Qt::KeepAspectRatio);
        // Decoding at the small size lets the JPEG decoder skip most of the work.
        reader.setScaledSize(size.expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // The spreadsheet sizes a picture by its resolution: at 96 dpi a pixel is a pixel.
    const int dotsPerMeter = qRound(96 / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool alpha = image.hasAlphaChannel();
    if (!image.save(&buffer, alpha ? "PNG" : "JPEG", alpha ? -1 : 85))
        return {};
    return {buffer.data(), image.size()};
}
