#include "qt_printers.h"

#include "shell/window/main/window_layout.h"

#include <gtest/gtest.h>

#include <limits>

using namespace WindowLayout;

namespace {

const Move *find(const QList<Move> &moves, const QString &control)
{
    for (const Move &m : moves) {
        if (m.control == control)
            return &m;
    }
    return nullptr;
}

QStringList controls(const QList<Move> &moves)
{
    QStringList names;
    for (const Move &m : moves)
        names << m.control;
    return names;
}

} // namespace

TEST(FormResize, NumbersForAWindowTenThousandTwipsWide)
{
    const QList<Move> moves = formResize({10000, 8000, {0}});
    const Move *browser = find(moves, QStringLiteral("WebBrowser1"));
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->left, 3710);
    EXPECT_EQ(browser->top, 1050) << "below the whole address strip";
    EXPECT_EQ(browser->width, 6290);
    EXPECT_EQ(browser->height, 6710);
    EXPECT_EQ(find(moves, QStringLiteral("TabStrip1"))->width, 3455);
    EXPECT_EQ(find(moves, QStringLiteral("PickWebBro"))->width, 3455);
    EXPECT_EQ(find(moves, QStringLiteral("urladress"))->width, 5100);
    EXPECT_EQ(find(moves, QStringLiteral("AddToListCmd"))->left, 5950);
    EXPECT_EQ(find(moves, QStringLiteral("ShowListCmd"))->left, 6925);
    EXPECT_EQ(find(moves, QStringLiteral("AutoModeChk"))->left, 7925);
    EXPECT_EQ(find(moves, QStringLiteral("Close_B"))->left, 3455);
    const Move *panel = find(moves, QStringLiteral("batModeFrame"));
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->width, 10000);
    EXPECT_EQ(panel->top, 1050);
    EXPECT_EQ(panel->height, 6710);
}

struct TooSmall
{
    const char *name;
    int width;
    int height;
    QStringList placed; // the controls moved before the layout stopped
};
ZORVANE_PRINT_AS_NAME(TooSmall)

class FormResizeTooSmall : public ::testing::TestWithParam<TooSmall>
{
};

TEST_P(FormResizeTooSmall, StopsAtTheFirstNegativeSize)
{
    EXPECT_EQ(controls(formResize({GetParam().width, GetParam().height, {0}})), GetParam().placed);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, FormResizeTooSmall,
    ::testing::Values(TooSmall{"Minimised", 0, 0, {}},
                      TooSmall{"NarrowerThanTheTabStrip", 3000, 8000, {}},
                      TooSmall{"TooNarrowForTheAddressBar", 4500, 8000,
                               {QStringLiteral("WebBrowser1"), QStringLiteral("mesg"), QStringLiteral("TabStrip1"),
                                QStringLiteral("PickWebBro")}},
                      TooSmall{"TooLowForTheBrowsers", 10000, 1000, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BatModeFrameResize, NumbersForAPanel9500Wide)
{
    PanelInput in;
    in.width = 9500;
    in.height = 6800;
    in.alreadyDownedLblWidth = 1000;
    in.findAdlCmdWidth = 300;
    in.findUpCmdWidth = 300;
    in.editBabyNumCmdWidth = 1000;
    in.asBabyUrlAlaCmdWidth = 1000;
    in.xqkfLeft = 6000;
    const QList<Move> moves = batModeFrameResize(in);
    EXPECT_EQ(find(moves, QStringLiteral("AddUrlText"))->width, 2000);
    EXPECT_EQ(find(moves, QStringLiteral("AddUrlText"))->height, 5740);
    EXPECT_EQ(find(moves, QStringLiteral("addUrlCmd"))->left, 2450);
    EXPECT_EQ(find(moves, QStringLiteral("InsertToTopCmd"))->top, 3700);
    EXPECT_EQ(find(moves, QStringLiteral("ProDenLbl"))->left, 3700);
    EXPECT_EQ(find(moves, QStringLiteral("readyDownList"))->left, 4200);
    EXPECT_EQ(find(moves, QStringLiteral("ASBabyUrlAlaCmd"))->left, 5200);
    EXPECT_EQ(find(moves, QStringLiteral("AlreadyDownedList"))->left, 7700);
    EXPECT_EQ(find(moves, QStringLiteral("AlreadyDownedList"))->width, 1800);
    EXPECT_EQ(find(moves, QStringLiteral("FindADLCmd"))->left, 8700);
    EXPECT_EQ(find(moves, QStringLiteral("FindUpCmd"))->left, 9020);
    EXPECT_EQ(find(moves, QStringLiteral("FindNextCmd"))->left, 9340);
    EXPECT_EQ(find(moves, QStringLiteral("DelCmd"))->left, 6450);
    EXPECT_EQ(find(moves, QStringLiteral("OpenWebCmd"))->top, 4400);
    EXPECT_EQ(find(moves, QStringLiteral("PreviewCmd"))->top, 5150);
    const Move *log = find(moves, QStringLiteral("mesgText"));
    ASSERT_TRUE(log);
    EXPECT_EQ(log->left, 7775);
    EXPECT_EQ(log->width, 1675);
}

// A heading wider than a third of the room: its column gets what the heading
// needs, the other two share the rest, and 下一个 ends over its list's end.
TEST(BatModeFrameResize, AColumnWhoseHeadingNeedsMoreGetsItAndTheOthersShare)
{
    PanelInput in;
    in.width = 11500;
    in.height = 6800;
    in.alreadyDownedLblWidth = 1500;
    in.findAdlCmdWidth = 700;
    in.findUpCmdWidth = 800;
    in.findNextCmdWidth = 800;
    in.readyUrlLblWidth = 700;
    in.asBabyUrlAlaCmdWidth = 1000;
    in.addUrlLblWidth = 4000; // reaching over the buttons beside its list, up to the next heading
    const QList<Move> moves = batModeFrameResize(in);
    const Move *list = find(moves, QStringLiteral("AlreadyDownedList")), *next = find(moves, QStringLiteral("FindNextCmd"));
    ASSERT_TRUE(list && next);
    EXPECT_EQ(*list->width, 1500 + 700 + 20 + 800 + 20 + 800);
    EXPECT_EQ(find(moves, QStringLiteral("addUrlLbl"))->left + 4000 + 60, find(moves, QStringLiteral("ReadyUrlLbl"))->left);
    EXPECT_EQ(next->left + 800, list->left + *list->width);
    // The rest, 8000 less the third column's 4040: the first column what its label needs, the second the remainder.
    EXPECT_EQ(find(moves, QStringLiteral("AddUrlText"))->width, 2060);
    EXPECT_EQ(find(moves, QStringLiteral("readyDownList"))->width, 1900);
    EXPECT_LE(700, find(moves, QStringLiteral("ASBabyUrlAlaCmd"))->left - find(moves, QStringLiteral("readyDownList"))->left)
        << "the pending list's label and 整店采集 side by side";
}

// The open boxes stand above their lists, which start below them; in a low
// panel the buttons close up so that both columns end with the lists.
TEST(BatModeFrameResize, InlineBoxesPushTheirListsDownAndALowPanelClosesUpItsButtons)
{
    PanelInput in;
    in.width = 12000;
    in.height = 5400; // the least panel that holds 店铺上新 under 同时采集 is 5310 high
    in.shopBoxShown = in.findBoxShown = in.numberBoxShown = true;
    in.findStrLblWidth = 500;
    in.newBabyNumLblWidth = 700;
    const QList<Move> moves = batModeFrameResize(in);
    const auto bottom = [&](const char *name) {
        const Move *m = find(moves, QLatin1String(name));
        return m->top + m->height.value_or(450);
    };
    const Move *shop = find(moves, QStringLiteral("ShopUrlText")), *pending = find(moves, QStringLiteral("readyDownList"));
    EXPECT_EQ(pending->top, shop->top + InlineBoxHeight + 60);
    EXPECT_EQ(bottom("readyDownList"), bottom("AddUrlText"));
    const Move *search = find(moves, QStringLiteral("FindStrText")), *number = find(moves, QStringLiteral("NewBabyNumText"));
    const Move *downloaded = find(moves, QStringLiteral("AlreadyDownedList"));
    EXPECT_EQ(number->top, search->top + InlineBoxHeight + 60);
    EXPECT_EQ(downloaded->top, number->top + InlineBoxHeight + 60);
    // Each box behind its label, the two over the list's column, not across its edge.
    EXPECT_EQ(find(moves, QStringLiteral("NewBabyNumLbl"))->left, downloaded->left);
    EXPECT_EQ(number->left, downloaded->left + 700);
    EXPECT_EQ(search->left + *search->width, downloaded->left + *downloaded->width);
    EXPECT_EQ(number->left + *number->width, downloaded->left + *downloaded->width);
    EXPECT_EQ(bottom("AlreadyDownedList"), bottom("AddUrlText"));
    EXPECT_LE(bottom("PreviewCmd"), bottom("AddUrlText"));
    EXPECT_LE(bottom("CollectorsBox") - 450 + 330, bottom("AddUrlText"));
    EXPECT_LE(bottom("WatchShopsCmd"), bottom("AddUrlText"));
    EXPECT_LT(find(moves, QStringLiteral("RePickCmd"))->top - find(moves, QStringLiteral("DelCmd"))->top, 750);
}

// At the least client size every heading fits its column and no move fails.
TEST(BatModeFrameResize, TheLeastClientHoldsEveryControl)
{
    PanelInput in;
    in.alreadyDownedLblWidth = 1500;
    in.findAdlCmdWidth = in.findUpCmdWidth = in.findNextCmdWidth = 700;
    in.readyUrlLblWidth = 1400;
    in.asBabyUrlAlaCmdWidth = 900;
    in.xqkfLeft = 5600;
    const Size least = minimumClient(in);
    in.width = least.width - PanelRightMargin;
    in.height = least.height - AreaMargin;
    const QList<Move> moves = batModeFrameResize(in);
    ASSERT_EQ(moves.last().control, QStringLiteral("mesgText"));
    EXPECT_GE(*moves.last().width, 3000);
    const Move *list = find(moves, QStringLiteral("AlreadyDownedList")), *next = find(moves, QStringLiteral("FindNextCmd"));
    EXPECT_LE(next->left + 700, list->left + *list->width);
    EXPECT_LE(find(moves, QStringLiteral("PreviewCmd"))->top + 450, 700 + *list->height);
    EXPECT_LE(find(moves, QStringLiteral("WatchShopsCmd"))->top + 450, 700 + *list->height);
    const int gap = find(moves, QStringLiteral("RePickCmd"))->top - (find(moves, QStringLiteral("DelCmd"))->top + 450);
    EXPECT_EQ(find(moves, QStringLiteral("OpenWebCmd"))->top - (find(moves, QStringLiteral("EditBabyNumCmd"))->top + 450),
              gap)
        << "in the lowest panel 打开网址 stands off 修改货号 as the other buttons stand off each other";
}

TEST(BatModeFrameResize, ANarrowPanelStopsAtTheFirstList)
{
    PanelInput in;
    in.width = 3000;
    in.height = 6800;
    EXPECT_EQ(controls(batModeFrameResize(in)), QStringList{QStringLiteral("addUrlLbl")});
}

TEST(BatModeFrameResize, SumsBeyond32BitsEndTheLayout)
{
    PanelInput in;
    in.width = 9500;
    in.height = 6800;
    in.xqkfLeft = std::numeric_limits<int>::max();
    const QStringList placed = controls(batModeFrameResize(in));
    EXPECT_EQ(placed.last(), QStringLiteral("PreviewCmd"));
}

TEST(Rounding, HalvesGoToTheEvenNeighbour)
{
    struct Row
    {
        qint64 numerator, denominator;
        int rounded;
    };
    for (const Row &r : {Row{270, 180, 2}, Row{450, 180, 2}, Row{90, 180, 0}, Row{630, 180, 4},
                         Row{100, 3, 33}, Row{200, 3, 67}, Row{-270, 180, -2}})
        EXPECT_EQ(roundHalfEven(r.numerator, r.denominator), r.rounded) << r.numerator << "/" << r.denominator;
}

TEST(Hover, RowsOf180TwipsFromTheFirstEntry)
{
    struct Row
    {
        int y, count;
        std::optional<int> row;
    };
    for (const Row &r : {Row{270, 3, 2}, Row{450, 3, 2}, Row{540, 3, 3}, Row{720, 3, std::nullopt}, Row{0, 0, 0}})
        EXPECT_EQ(hoverRow(r.y, r.count), r.row) << "y=" << r.y;
    const HoverBox box = hoverBox(1000, 700, 50, 270);
    EXPECT_EQ(box.left, 1250);
    EXPECT_EQ(box.top, 1170);
    EXPECT_EQ(box.width, 3600);
    EXPECT_EQ(box.height, 2600);
}

TEST(Hints, TheHintMakesWayOnFocusTypedTextStays)
{
    EXPECT_EQ(textOnFocus(QStringLiteral("请输入新货号"), QStringLiteral("请输入新货号")), QString());
    EXPECT_EQ(textOnFocus(QStringLiteral("A12"), QStringLiteral("请输入新货号")), QStringLiteral("A12"));
}

TEST(Twips, ConvertAtTheScreensLogicalDpi)
{
    EXPECT_EQ(Twips(96).toPixels(1440), 96);
    EXPECT_EQ(Twips(96).fromPixels(96), 1440);
    EXPECT_EQ(Twips(144).toPixels(240), 24);
}
