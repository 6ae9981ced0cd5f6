#include "download/listing/slice_plan.h"

#include <algorithm>
#include <cstdlib>

namespace SlicePlan {

namespace {

// Brightness steps up to this size are JPEG's ringing and noise, not detail.
constexpr int NoiseStep = 8;

quint32 cutCost(const std::vector<quint32> &detail, int row)
{
    return std::min(detail[size_t(row - 1)], detail[size_t(row)]);
}

} // namespace

quint32 rowDetail(const uchar *rgb, int width)
{
    quint32 sum = 0;
    int previous = -1;
    for (int x = 0; x < width; ++x, rgb += 3) {
        // ITU-R BT.601 weights in integers.
        const int luma = (77 * rgb[0] + 150 * rgb[1] + 29 * rgb[2]) >> 8;
        if (previous >= 0) {
            const int step = std::abs(luma - previous);
            if (step > NoiseStep)
                sum += quint32(step - NoiseStep);
        }
        previous = luma;
    }
    return sum;
}

int rowsNeeded(int start, int height, int maxHeight)
{
    return std::min(height, start + maxHeight + 1);
}

int sliceEnd(const std::vector<quint32> &detail, int start, int height, int maxHeight)
{
    const int limit = start + maxHeight;
    if (limit >= height)
        return height;
    const int first = std::max(start + 1, limit - std::min(SearchRows, maxHeight / 2));
    quint32 least = cutCost(detail, limit);
    for (int row = first; row < limit; ++row)
        least = std::min(least, cutCost(detail, row));
    // The run of cheapest cuts nearest to the limit, and its middle.
    int runEnd = limit;
    while (cutCost(detail, runEnd) != least)
        --runEnd;
    // A plain gap that goes on past the limit is cut at the limit: fewer slices, margin enough.
    if (runEnd == limit)
        return limit;
    int runStart = runEnd;
    while (runStart > first && cutCost(detail, runStart - 1) == least)
        --runStart;
    return (runStart + runEnd + 1) / 2;
}

QList<int> sliceEnds(const std::vector<quint32> &detail, int maxHeight)
{
    const int height = int(detail.size());
    QList<int> ends;
    for (int start = 0; start < height;) {
        start = sliceEnd(detail, start, height, maxHeight);
        ends.append(start);
    }
    return ends;
}

} // namespace SlicePlan
