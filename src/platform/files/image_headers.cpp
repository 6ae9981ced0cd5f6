#include "platform/files/image_headers.h"

#include <QImage>
#include <QImageReader>

std::optional<QSize> ImageHeaders::pictureSize(const QString &path) const
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead())
        return std::nullopt;
    QSize size = reader.size();
    // A format whose reader cannot tell its size up front is decoded for it.
    if (size.isEmpty())
        size = reader.read().size();
    return size.isEmpty() ? std::nullopt : std::optional<QSize>(size);
}
