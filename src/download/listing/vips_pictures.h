#pragma once

#include "download/listing/picture_maker.h"

// 上架图's pictures made with libvips: decoded at a reduced size where the
// format allows (JPEG), streamed top to bottom otherwise, so that memory
// stays small however tall a picture is. Only JPEG, PNG, GIF (its first
// frame) and WebP are read; libvips' other loaders (some through ImageMagick)
// are never asked. A picture of more than MaxPixels pixels is refused, and
// one that must be decoded whole (WebP, GIF, progressive JPEG, interlaced
// PNG) of more than MaxWholePixels; such pictures take turns, one at a time
// over all threads. Embedded colour profiles and CMYK are converted to sRGB,
// transparency goes on white.
class VipsPictures : public PictureMaker
{
public:
    static constexpr qint64 MaxPixels = 100'000'000;
    static constexpr qint64 MaxWholePixels = 30'000'000; // 120 MB decoded


    // Starts libvips once per process (any thread; the first call does it).
    // Each pipeline runs on the calling thread and one helper: the threads
    // of the caller's pool are the parallelism.
    static void initialise();

    VipsPictures();
    // Frees the thread's libvips buffers, and gives freed memory back to the system.
    ~VipsPictures() override;

    std::optional<ListingFile> mainPicture(const QString &path, const ListingOptions &options,
                                           QString *errorText) override;
    bool descriptionSlices(const QString &path, const ListingOptions &options,
                           const std::function<bool(const ListingFile &)> &take, QString *errorText) override;
};
