#pragma once

#include "download/listing/picture_maker.h"

// 上架图's pictures read with Qt's own image classes, for comparison with
// libvips: QImageReader decodes at the scaled size where the format's
// handler can (JPEG), and whole otherwise. Colour profiles are applied where
// QColorSpace understands them (RGB; not CMYK in Qt 6.4). The JPEG writer is
// the program's (Qt's, encodeJpeg), so the two differ in reading only.
class QtPictures : public PictureMaker
{
public:
    QtPictures();
    std::optional<ListingFile> mainPicture(const QString &path, const ListingOptions &options,
                                           QString *errorText) override;
    bool descriptionSlices(const QString &path, const ListingOptions &options,
                           const std::function<bool(const ListingFile &)> &take, QString *errorText) override;
};
