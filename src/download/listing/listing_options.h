#pragma once

#include <QString>

// What the seller's shop wants of the pictures in 上架图.
struct ListingOptions
{
    int mainSide = 800;       // 主图: square JPEG of this side, in pixels
    int descWidth = 750;      // 描述图: at most this wide (never widened)
    int sliceHeight = 1500;   // 描述图: slices at most this tall
    int sizeLimitKB = 2048;   // every file at most this big
    bool enlargeMain = false; // 主图 smaller than the side are scaled up to it
    bool afterCollect = false; // 上架图 made right after each item is collected

    qint64 sizeLimitBytes() const { return qint64(sizeLimitKB) * 1024; }
    bool operator==(const ListingOptions &) const = default;
};

// The sane range of each number: what a shop may ask for and a picture can give.
struct ListingRange
{
    int least;
    int most;
    bool contains(int value) const { return value >= least && value <= most; }
};
inline constexpr ListingRange MainSideRange{200, 4000};
inline constexpr ListingRange DescWidthRange{200, 2000};
inline constexpr ListingRange SliceHeightRange{400, 10000};
inline constexpr ListingRange SizeLimitRange{50, 20480};

// Empty when every value is in its range; otherwise says, in Chinese, which
// value is refused and what is allowed.
QString listingOptionsProblem(const ListingOptions &options);
