#pragma once

#include "download/picture_probe.h"

// PictureProbe over QImageReader. JPEG, PNG, GIF, BMP, WebP and ICO count as
// pictures; a file must decode whole to count.
class ImageReaderProbe : public PictureProbe
{
public:
    std::optional<int> pictureWidth(const QString &path) const override;
};
