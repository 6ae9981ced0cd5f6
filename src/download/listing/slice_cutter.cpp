#include "download/listing/slice_cutter.h"

#include "download/listing/slice_plan.h"

SliceCutter::SliceCutter(int width, int height, int maxHeight)
    : m_width(width)
    , m_height(height)
    , m_maxHeight(maxHeight)
{
    m_detail.reserve(size_t(height));
}

void SliceCutter::addRow(const uchar *rgb)
{
    Q_ASSERT(m_added < m_height);
    m_detail.push_back(SlicePlan::rowDetail(rgb, m_width));
    m_rows.insert(m_rows.end(), rgb, rgb + size_t(m_width) * 3);
    ++m_added;
}

std::optional<SliceCutter::Slice> SliceCutter::nextSlice()
{
    if (m_takenRows > 0) {
        m_rows.erase(m_rows.begin(), m_rows.begin() + ptrdiff_t(m_takenRows) * m_width * 3);
        m_takenRows = 0;
    }
    if (done() || m_added < SlicePlan::rowsNeeded(m_start, m_height, m_maxHeight))
        return std::nullopt;
    const int end = SlicePlan::sliceEnd(m_detail, m_start, m_height, m_maxHeight);
    m_takenRows = end - m_start;
    m_start = end;
    return Slice{m_rows.data(), m_takenRows};
}
