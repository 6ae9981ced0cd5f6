#pragma once

#include "download/listing/listing_options.h"
#include "lists/item_lines.h"

#include <QString>
#include <QStringList>

#include <atomic>

class PictureMaker;

// What making one item's 上架图 came to.
struct ListingOutcome
{
    enum class State { Made, Failed, Stopped };

    DownloadedLine line;
    State state = State::Failed;
    int mainFiles = 0; // 主图 written
    int descFiles = 0; // 描述图 slices written
    QStringList skipped;   // pictures left out, each with the reason
    QStringList overLimit; // files still over the size limit at the least quality
    QString error;         // why no 上架图 was made
};

// Makes the item's 上架图 from the pictures in its 主图 and 描述图 folders,
// in number order: 主图1.jpg … and 描述图1.jpg … numbered on without gaps.
// A picture that cannot be read is left out and named in the outcome; a
// file that cannot be written fails the item. `stop` is looked at before
// each picture and slice. A failed or stopped item leaves no new folder,
// and 上架图 from an earlier run as it was; the item's own pictures are only
// read. Safe on any thread.
ListingOutcome makeListing(const DownloadedLine &line, const ListingOptions &options, PictureMaker &maker,
                           const std::atomic_bool &stop);
