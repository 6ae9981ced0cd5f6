#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

// A description picture's rows as they are decoded, top to bottom, handed
// out as slices (SlicePlan) as soon as each slice's end can be chosen: only
// the rows of the slice under way are kept, however tall the picture.
class SliceCutter
{
public:
    struct Slice
    {
        const uchar *rows; // 8-bit RGB, width * 3 bytes a row, valid until the next call
        int height;
    };

    SliceCutter(int width, int height, int maxHeight);

    // The next row, width * 3 bytes of 8-bit RGB.
    void addRow(const uchar *rgb);
    // The next slice once the rows it needs have come; nothing before, and
    // nothing once every slice has been taken.
    std::optional<Slice> nextSlice();
    bool done() const { return m_start >= m_height; }
    int rowsAdded() const { return m_added; }

private:
    int m_width;
    int m_height;
    int m_maxHeight;
    int m_added = 0;
    int m_start = 0;       // the first row not yet in a slice taken
    int m_takenRows = 0;   // rows of the slice taken last, still at the buffer's front
    std::vector<quint32> m_detail;
    std::vector<uchar> m_rows; // rows from the last slice's start on
};
