#include "platform/files/image_reader_probe.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

namespace {

// libjpeg fills a cut-off JPEG with grey and reports success: the end-of-image
// marker must follow the last start-of-scan (neither can occur inside scan data).
bool jpegComplete(const QByteArray &data)
{
    const qsizetype scan = data.lastIndexOf(QByteArray("\xFF\xDA", 2));
    return scan >= 0 && data.indexOf(QByteArray("\xFF\xD9", 2), scan + 2) >= 0;
}

// The BMP reader also accepts a file cut short; its header gives the full size.
bool bmpComplete(const QByteArray &data)
{
    if (data.size() < 6)
        return false;
    const quint32 declared = qFromLittleEndian<quint32>(data.constData() + 2);
    return declared == 0 || quint64(data.size()) >= declared;
}

} // namespace

std::optional<int> ImageReaderProbe::pictureWidth(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray data = file.readAll();
    if (data.isEmpty())
        return std::nullopt;

    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format().toLower();
    static const QList<QByteArray> accepted{"jpeg", "jpg", "png", "gif", "bmp", "webp", "ico"};
    if (!accepted.contains(format))
        return std::nullopt;
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if ((format == "jpeg" || format == "jpg") && !jpegComplete(data))
        return std::nullopt;
    if (format == "bmp" && !bmpComplete(data))
        return std::nullopt;
    return image.width();
}
