#pragma once

#include "download/listing/picture_maker.h"

#include <QImage>

// The picture as a JPEG within the size limit, the quality lowered step by
// step (QualitySteps): Qt's writer (libjpeg-turbo), chroma at half
// resolution as most JPEGs have it, no metadata (the pixels are sRGB).
// Empty when the writer fails. Safe on any thread.
ListingFile encodeJpeg(const QImage &image, qint64 limitBytes);
