#include "download/listing/jpeg_encoder.h"

#include "download/listing/quality_steps.h"

#include <QBuffer>
#include <QImageWriter>

ListingFile encodeJpeg(const QImage &image, qint64 limitBytes)
{
    const QualitySteps::Encoded made = QualitySteps::encodeWithin(limitBytes, [&image](int quality) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(quality);
        return writer.write(image) ? bytes : QByteArray();
    });
    return {made.bytes, image.size(), made.quality, made.overLimit};
}
