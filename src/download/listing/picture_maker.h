#pragma once

#include "download/listing/listing_options.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

// One JPEG of 上架图.
struct ListingFile
{
    QByteArray jpeg;
    QSize size;
    int quality = 0;
    bool overLimit = false; // still over the size limit at the least quality
};

// Makes 上架图's pictures out of an item's pictures. An image library sits
// behind it; each thread uses a maker of its own.
class PictureMaker
{
public:
    virtual ~PictureMaker() = default;

    // The main picture at `path` as a square JPEG of the options' side, the
    // picture scaled to fit and centred on white. Nothing, with the reason in
    // Chinese, when it is no picture that can be read.
    virtual std::optional<ListingFile> mainPicture(const QString &path, const ListingOptions &options,
                                                   QString *errorText) = 0;

    // The description picture at `path` scaled down to the options' width
    // and cut into slices (SlicePlan), each handed to `take` top to bottom as
    // soon as it is made. `take` answers false to stop; then, or when the
    // picture cannot be read (errorText says why), the result is false.
    virtual bool descriptionSlices(const QString &path, const ListingOptions &options,
                                   const std::function<bool(const ListingFile &)> &take, QString *errorText) = 0;
};
