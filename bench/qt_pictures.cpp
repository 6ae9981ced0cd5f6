#include "qt_pictures.h"

#include "download/listing/jpeg_encoder.h"
#include "download/listing/slice_cutter.h"

#include <QColorSpace>
#include <QImage>
#include <QImageReader>
#include <QPainter>

namespace {

bool fail(QString *errorText, const QString &reason)
{
    if (errorText)
        *errorText = reason;
    return false;
}

// The picture decoded at `target` (the reader scales; JPEG's decoder skips
// most of the work), in sRGB, laid on white, as 8-bit RGB.
QImage decoded(QImageReader &reader, const QSize &target, QString *errorText)
{
    static const QList<QByteArray> formats{"jpeg", "png", "gif", "webp"};
    if (!formats.contains(reader.format())) {
        fail(errorText, QStringLiteral("不是图片,或格式不支持"));
        return {};
    }
    if (target != reader.size())
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull()) {
        fail(errorText, QStringLiteral("图片已损坏,无法解码"));
        return {};
    }
    if (image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (image.colorSpace().isValid() && image.colorSpace() != QColorSpace(QColorSpace::SRgb))
        image.convertToColorSpace(QColorSpace::SRgb);
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);
    QImage onWhite(image.size(), QImage::Format_RGB888);
    onWhite.fill(Qt::white);
    QPainter(&onWhite).drawImage(0, 0, image);
    return onWhite;
}

} // namespace

QtPictures::QtPictures()
{
    // Whole pictures in memory is how Qt decodes: the tall runs measure it rather than stop at Qt's limit.
    QImageReader::setAllocationLimit(0);
}

std::optional<ListingFile> QtPictures::mainPicture(const QString &path, const ListingOptions &options,
                                                   QString *errorText)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid()) {
        fail(errorText, QStringLiteral("不是图片,或格式无法识别"));
        return std::nullopt;
    }
    const int side = options.mainSide;
    QSize target = size;
    if (options.enlargeMain || size.width() > side || size.height() > side)
        target = size.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QImage picture = decoded(reader, target, errorText);
    if (picture.isNull())
        return std::nullopt;
    QImage square(side, side, QImage::Format_RGB888);
    square.fill(Qt::white);
    QPainter(&square).drawImage((side - picture.width()) / 2, (side - picture.height()) / 2, picture);
    ListingFile file = encodeJpeg(square, options.sizeLimitBytes());
    if (file.jpeg.isEmpty()) {
        fail(errorText, QStringLiteral("无法编码为 JPEG"));
        return std::nullopt;
    }
    return file;
}

bool QtPictures::descriptionSlices(const QString &path, const ListingOptions &options,
                                   const std::function<bool(const ListingFile &)> &take, QString *errorText)
{
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid())
        return fail(errorText, QStringLiteral("不是图片,或格式无法识别"));
    QSize target = size;
    if (size.width() > options.descWidth)
        target = QSize(options.descWidth, std::max(1, int(qint64(size.height()) * options.descWidth / size.width())));
    const QImage picture = decoded(reader, target, errorText);
    if (picture.isNull())
        return false;
    SliceCutter cutter(picture.width(), picture.height(), options.sliceHeight);
    for (int y = 0; y < picture.height(); ++y) {
        cutter.addRow(picture.constScanLine(y));
        while (const std::optional<SliceCutter::Slice> slice = cutter.nextSlice()) {
            const QImage rows(slice->rows, picture.width(), slice->height, picture.width() * 3, QImage::Format_RGB888);
            const ListingFile file = encodeJpeg(rows, options.sizeLimitBytes());
            if (file.jpeg.isEmpty())
                return fail(errorText, QStringLiteral("无法编码为 JPEG"));
            if (!take(file))
                return false;
        }
    }
    return true;
}
