#pragma once

#include <QList>
#include <QtGlobal>

#include <vector>

// Where a tall description picture is cut into slices: at a row where the
// picture is plainest, so that a cut rarely runs through a line of text.
//
// A row's detail is how much it changes from pixel to pixel across; a cut
// between two rows costs the lesser detail of the two (a cut beside a plain
// row runs through nothing). The slice that starts at row s ends at the
// cheapest cut among the last SearchRows rows it may hold; among equally
// cheap cuts the nearest to the limit wins, in the middle of its run of
// equal cuts, so that a plain gap keeps some margin on both sides (a run
// that reaches the limit is cut there).
namespace SlicePlan {

inline constexpr int SearchRows = 200;

// Detail across one row of 8-bit RGB pixels (3 bytes each): the summed
// change of brightness from each pixel to the next, steps as small as JPEG's
// noise left out.
quint32 rowDetail(const uchar *rgb, int width);

// The row where the slice that starts at `start` ends (exclusive) in a
// picture `height` rows tall. `detail` holds the detail of every row up to
// rowsNeeded(start, height, maxHeight) at least.
int sliceEnd(const std::vector<quint32> &detail, int start, int height, int maxHeight);

// How many rows, from the top, sliceEnd needs the detail of.
int rowsNeeded(int start, int height, int maxHeight);

// Every slice's end for the whole picture, top to bottom (the last is the height).
QList<int> sliceEnds(const std::vector<quint32> &detail, int maxHeight);

} // namespace SlicePlan
