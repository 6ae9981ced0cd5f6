// Where tall description pictures are cut, on rows of detail the test sets,
// and the streaming cutter against the whole-picture plan.
#include "qt_printers.h"

#include "download/listing/quality_steps.h"
#include "download/listing/slice_cutter.h"
#include "download/listing/slice_plan.h"

#include <QList>

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr quint32 Dark = 5000; // a row through text
constexpr quint32 Plain = 0;

std::vector<quint32> rows(int height, quint32 detail)
{
    return std::vector<quint32>(size_t(height), detail);
}

std::vector<quint32> with(std::vector<quint32> detail, std::initializer_list<std::pair<int, quint32>> set)
{
    for (const auto &[row, value] : set)
        detail[size_t(row)] = value;
    return detail;
}

struct PlanCase
{
    const char *name;
    std::vector<quint32> detail;
    int maxHeight;
    QList<int> ends;
};
ZORVANE_PRINT_AS_NAME(PlanCase)

class Plan : public ::testing::TestWithParam<PlanCase> {};

} // namespace

TEST_P(Plan, CutsWhereThePictureIsPlainest)
{
    const PlanCase &c = GetParam();
    const QList<int> ends = SlicePlan::sliceEnds(c.detail, c.maxHeight);
    EXPECT_EQ(ends, c.ends);
    int start = 0;
    for (const int end : ends) {
        EXPECT_GT(end, start);
        EXPECT_LE(end - start, c.maxHeight) << "a slice over the limit";
        start = end;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Plan,
    ::testing::Values(
        PlanCase{"plain_everywhere_cut_at_the_limit", rows(3200, Plain), 1500, {1500, 3000, 3200}},
        PlanCase{"text_everywhere_cut_at_the_limit", rows(3000, Dark), 1500, {1500, 3000}},
        PlanCase{"exactly_one_slice", rows(1500, Dark), 1500, {1500}},
        PlanCase{"one_row_more", rows(1501, Dark), 1500, {1500, 1501}},
        PlanCase{"a_single_row", rows(1, Dark), 1500, {1}},
        // A cut beside a plain row runs through nothing: either side of row 1400 will do.
        PlanCase{"one_plain_row_in_reach", with(rows(3000, Dark), {{1400, Plain}}), 1500, {1401, 2901, 3000}},
        PlanCase{"plain_row_200_before_the_limit", with(rows(2000, Dark), {{1300, Plain}}), 1500, {1301, 2000}},
        // 201 rows before the limit is out of reach: the least detailed row within it is taken.
        PlanCase{"plain_row_out_of_reach", with(rows(2000, Dark), {{1298, Plain}, {1450, 100}}), 1500, {1451, 2000}},
        // A gap of white between lines of text is cut in its middle, the nearest gap to the limit first.
        PlanCase{"middle_of_the_nearest_gap",
                 with(rows(2000, Dark), {{1320, Plain}, {1321, Plain}, {1322, Plain}, {1440, Plain}, {1441, Plain},
                                         {1442, Plain}, {1443, Plain}, {1444, Plain}}),
                 1500, {1443, 2000}},
        PlanCase{"gap_running_past_the_limit", with(rows(2000, Dark), {{1490, Plain}, {1495, Plain}, {1496, Plain},
                                                                        {1497, Plain}, {1498, Plain}, {1499, Plain},
                                                                        {1500, Plain}, {1501, Plain}}),
                 1500, {1500, 2000}},
        PlanCase{"a_low_limit_reaches_half_back", with(rows(1000, Dark), {{260, Plain}}), 400, {261, 661, 1000}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SlicePlan, RowDetailIgnoresJpegNoiseAndCountsEdges)
{
    const auto detail = [](std::initializer_list<uchar> grey) {
        std::vector<uchar> rgb;
        for (const uchar v : grey)
            rgb.insert(rgb.end(), {v, v, v});
        return SlicePlan::rowDetail(rgb.data(), int(grey.size()));
    };
    EXPECT_EQ(detail({250, 255, 247, 252, 250}), 0u) << "noise of a white ground";
    EXPECT_EQ(detail({255, 255, 40, 40, 255}), 2u * (215 - 8));
    EXPECT_EQ(detail({0, 0, 0, 0}), 0u) << "a plain dark band is plain";
}

TEST(SliceCutter, HandsOutTheSlicesOfThePlanAsTheRowsCome)
{
    // A picture whose every row is one value: its slices show where they came from.
    const int width = 3, height = 3300, maxHeight = 1500;
    std::vector<quint32> detail;
    std::vector<std::vector<uchar>> picture;
    for (int y = 0; y < height; ++y) {
        const bool text = y % 40 < 30 && y != 1402;
        const uchar mark = uchar(y % 251);
        picture.push_back(text ? std::vector<uchar>{0, 0, 0, 255, 255, 255, mark, mark, mark}
                               : std::vector<uchar>{mark, mark, mark, mark, mark, mark, mark, mark, mark});
        detail.push_back(SlicePlan::rowDetail(picture.back().data(), width));
    }
    const QList<int> plan = SlicePlan::sliceEnds(detail, maxHeight);
    SliceCutter cutter(width, height, maxHeight);
    QList<int> ends;
    int start = 0;
    for (int y = 0; y < height; ++y) {
        cutter.addRow(picture[size_t(y)].data());
        while (const std::optional<SliceCutter::Slice> slice = cutter.nextSlice()) {
            EXPECT_LE(cutter.rowsAdded(), start + maxHeight + 1) << "held back no longer than the plan needs";
            for (int r = 0; r < slice->height; ++r)
                ASSERT_EQ(slice->rows[size_t(r) * width * 3 + 8], picture[size_t(start + r)][8]) << start + r;
            start += slice->height;
            ends.append(start);
        }
    }
    EXPECT_TRUE(cutter.done());
    EXPECT_EQ(ends, plan);
    EXPECT_EQ(ends.size(), 3);
}

TEST(QualitySteps, LowersTheQualityStepByStepAndNeverBelowSeventy)
{
    struct Case
    {
        qint64 limit;
        int quality;
        bool overLimit;
        QList<int> tried;
    };
    // A picture of quality q encodes to q * 10 bytes.
    for (const Case &c : {Case{1000, 90, false, {90}}, Case{800, 80, false, {90, 85, 80}},
                          Case{700, 70, false, {90, 85, 80, 75, 70}}, Case{699, 70, true, {90, 85, 80, 75, 70}}}) {
        QList<int> tried;
        const QualitySteps::Encoded made = QualitySteps::encodeWithin(c.limit, [&tried](int quality) {
            tried.append(quality);
            return QByteArray(quality * 10, 'j');
        });
        EXPECT_EQ(made.quality, c.quality) << c.limit;
        EXPECT_EQ(made.overLimit, c.overLimit) << c.limit;
        EXPECT_EQ(made.bytes.size(), c.quality * 10) << "the file at the quality it says";
        EXPECT_EQ(tried, c.tried) << c.limit;
    }
    const QualitySteps::Encoded failed = QualitySteps::encodeWithin(10, [](int) { return QByteArray(); });
    EXPECT_TRUE(failed.bytes.isEmpty());
    EXPECT_FALSE(failed.overLimit) << "an encoder that fails is not a picture over the limit";
}
