#pragma once

#include <QList>
#include <QString>

#include <optional>

// The window's layout arithmetic in twips (1440 to the inch), free of
// widgets: the window converts the results to pixels once, with the screen's
// logical DPI. A move whose size would come out negative, or whose sum leaves
// 32 bits, ends the layout: the controls after it stay where they were (a
// window too small for the arithmetic, e.g. a minimised one).
namespace WindowLayout {

constexpr int TwipsPerInch = 1440;

// Integer division rounded to the nearest whole number, halves to the even neighbour.
int roundHalfEven(qint64 numerator, qint64 denominator);

struct Size
{
    int width = 0;
    int height = 0;
};

// One control moved: its new position, and its new size where the layout sets one.
struct Move
{
    QString control;
    int index = -1; // element of a control array, -1 for a single control
    int left = 0;
    int top = 0;
    std::optional<int> width;
    std::optional<int> height;
};

// The browser area and the batch panel begin below the toolbar band (630)
// and the whole address strip (420); the progress strip (240) ends the window.
constexpr int AreaTop = 1050;
constexpr int AreaMargin = AreaTop + 240;

// What the window layout reads besides the client size.
struct FormInput
{
    int width = 0;  // W, client width
    int height = 0; // H, client height
    QList<int> tabList{0}; // browser index of every open tab
};

// Form_Resize: the browsers and their message lines, the tab strip and the
// collector's view behind it, the address bar and its buttons, the close-tab
// button, and the batch panel's rectangle (its content: batModeFrameResize).
QList<Move> formResize(const FormInput &in);

// What the panel layout reads: the sizes its moves keep.
struct PanelInput
{
    int width = 0;  // PW
    int height = 0; // PH
    int alreadyDownedLblWidth = 0;
    int findAdlCmdWidth = 0;
    int findUpCmdWidth = 0;
    int findNextCmdWidth = 0;
    int readyUrlLblWidth = 0;
    int editBabyNumCmdWidth = 0;
    int asBabyUrlAlaCmdWidth = 0;
    int collectorsLblWidth = 0;
    int addUrlLblWidth = 0;
    // The labels in front of 查找's and 修改货号's boxes.
    int findStrLblWidth = 0;
    int newBabyNumLblWidth = 0;
    int xqkfLeft = 0;
    // The indicator's height when less than the lists' is enough for its text
    // (0: as high as the lists), so that it covers nothing below it.
    int indicatorHeight = 0;
    // The inline boxes open over their lists' tops (整店采集; 查找, then 修改货号):
    // a list starts below those open.
    bool shopBoxShown = false;
    bool findBoxShown = false;
    bool numberBoxShown = false;
};

constexpr int ContactButtonWidth = 1575; // xqkf
// The panel's arithmetic runs this much short of its right edge: the last
// list ends as far from it as the first begins from the left one, its border in view.
constexpr int PanelRightMargin = 200;

constexpr int InlineBoxHeight = 330;

// batModeFrameResize: three list columns of width C = (PW - 3500) / 3 with
// button columns between them, and the status log in the toolbar band. A
// column whose heading needs more than C (the add box's label, which may
// reach over the buttons beside it; the downloaded list's label and three
// buttons; the pending list's label and 整店采集) gets what it needs and the
// others share the rest; in a low panel the buttons stand closer.
QList<Move> batModeFrameResize(const PanelInput &in);

// The least client area in which every control of the window and the panel
// stays whole: the panel's headings and button columns, the toolbar (whose
// 联系客服 button ends at xqkfLeft + ContactButtonWidth) with some log beside it.
Size minimumClient(const PanelInput &in);

// The hover box over a list: the row under the pointer, 180 twips to a row
// counted from the list's first entry (y in twips from the top of the first
// entry). Nothing when the row is past the end; the count itself (an empty
// box) when it is just past the last entry.
constexpr int HoverRowTwips = 180;
std::optional<int> hoverRow(int y, int count);

// Where the box stands: below and right of the pointer (x, y in twips from the
// list's top-left corner).
struct HoverBox
{
    int left = 0;
    int top = 0;
    int width = 3600;
    int height = 2600;
};
HoverBox hoverBox(int listLeft, int listTop, int x, int y);

// Twips and pixels at one logical DPI.
class Twips
{
public:
    explicit Twips(double dpi) : m_dpi(dpi > 0 ? dpi : 96.0) {}
    int toPixels(int twips) const;
    int fromPixels(int pixels) const;
    double dpi() const { return m_dpi; }

private:
    double m_dpi;
};

// A text box with a hint: what it holds once it has the focus.
QString textOnFocus(const QString &text, const QString &hint);

} // namespace WindowLayout
