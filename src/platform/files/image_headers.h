#pragma once

#include "download/item_pictures.h"

// PictureHeaders over QImageReader: the format is told by the content, not
// by the name, and the size comes from the header.
class ImageHeaders : public PictureHeaders
{
public:
    std::optional<QSize> pictureSize(const QString &path) const override;
};
