#include "shell/window/main/window_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace WindowLayout {

namespace {

// Builds the moves in order and stops at the first one that cannot be made.
class Mover
{
public:
    explicit Mover(QList<Move> &moves) : m_moves(moves) {}

    bool failed() const { return m_failed; }

    // A value the layout computed in 64 bits: it must fit a 32-bit length.
    static std::optional<int> fit(qint64 value)
    {
        if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
            return std::nullopt;
        return int(value);
    }

    void move(const QString &control, qint64 left, qint64 top, std::optional<qint64> width = {},
              std::optional<qint64> height = {}, int index = -1)
    {
        if (m_failed)
            return;
        Move m;
        m.control = control;
        m.index = index;
        const auto l = fit(left), t = fit(top);
        std::optional<int> w, h;
        if (width)
            w = fit(*width);
        if (height)
            h = fit(*height);
        if (!l || !t || (width && (!w || *w < 0)) || (height && (!h || *h < 0))) {
            m_failed = true;
            return;
        }
        m.left = *l;
        m.top = *t;
        m.width = w;
        m.height = h;
        m_moves.append(m);
    }

private:
    QList<Move> &m_moves;
    bool m_failed = false;
};

constexpr qint64 BrowserLeft = 3710;
constexpr qint64 CloseGap = 255;

} // namespace

int roundHalfEven(qint64 numerator, qint64 denominator)
{
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    qint64 quotient = numerator / denominator;
    qint64 remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    if (2 * remainder > denominator || (2 * remainder == denominator && quotient % 2 != 0))
        ++quotient;
    return int(quotient);
}

QList<Move> formResize(const FormInput &in)
{
    QList<Move> moves;
    Mover m(moves);
    const qint64 W = in.width, H = in.height;
    qint64 stripWidth = 0;
    for (int k : in.tabList) {
        const qint64 browserWidth = W - BrowserLeft;
        m.move(QStringLiteral("WebBrowser1"), BrowserLeft, AreaTop, browserWidth, H - AreaMargin, k);
        m.move(QStringLiteral("mesg"), BrowserLeft, AreaTop, browserWidth, {}, k);
        stripWidth = W - browserWidth - CloseGap;
        m.move(QStringLiteral("TabStrip1"), 0, AreaTop, stripWidth, H - AreaMargin);
        m.move(QStringLiteral("PickWebBro"), 0, AreaTop, stripWidth, H - AreaMargin, 0);
    }
    m.move(QStringLiteral("urladress"), 840, 60, W - 4900);
    m.move(QStringLiteral("AddToListCmd"), W - 4050, 0);
    m.move(QStringLiteral("ShowListCmd"), W - 3075, 0);
    m.move(QStringLiteral("AutoModeChk"), W - 2075, 0);
    m.move(QStringLiteral("Close_B"), stripWidth, AreaTop);
    m.move(QStringLiteral("batModeFrame"), 0, AreaTop, W, H - AreaMargin);
    return moves;
}

namespace {

constexpr qint64 HeadTop = 360, ListTop = 700, Step = 750;
constexpr qint64 MinStep = 510; // a button's 450 and a gap
// 打开网址 stands this much higher than the step, where the step leaves room for it.
constexpr qint64 OpenWebRise = 50;
constexpr qint64 BoxGap = 60;
constexpr qint64 Gutters = 3500; // margins, button columns and the indicator between the lists
constexpr qint64 MinListWidth = 1500;
constexpr qint64 MinLogWidth = 3000;
// Below the lists' top, the first button column ends with the two boxes,
// 同时采集 and 店铺上新 (5 steps + 800 + 450 + 450), the second with 打开网址
// and 预览 (6 steps + 400).
constexpr qint64 Column1Rest = 1700, Column2Rest = 400;
// The first list's left edge; from the panel's to the first button column
// (the first list's width on top), and from there to the second list.
constexpr qint64 ListLeft = 200, X1Offset = 450, IndicatorColumn = 1250 + 500;

// The downloaded list's heading: its label and 查找, 上一个, 下一个.
qint64 downloadedHeading(const PanelInput &in)
{
    return qint64(in.alreadyDownedLblWidth) + in.findAdlCmdWidth + 20 + in.findUpCmdWidth + 20 + in.findNextCmdWidth;
}

// What each list column needs: its heading's width (the first heading may
// reach over the buttons and the indicator beside it, up to the next heading).
std::array<qint64, 3> columnNeeds(const PanelInput &in)
{
    return {std::max<qint64>(0, ListLeft + in.addUrlLblWidth + BoxGap - (X1Offset + IndicatorColumn)),
            qint64(in.readyUrlLblWidth) + in.asBabyUrlAlaCmdWidth + BoxGap, downloadedHeading(in) + 200};
}

// Equal columns where that serves every heading; otherwise a column gets what
// it needs and the others share the rest.
std::array<qint64, 3> columnWidths(qint64 total, const std::array<qint64, 3> &needs)
{
    std::array<bool, 3> fixed{};
    std::array<qint64, 3> widths{};
    for (int round = 0; round < 3; ++round) {
        qint64 rest = total;
        int shared = 0;
        for (int i = 0; i < 3; ++i) {
            if (fixed[i])
                rest -= widths[i];
            else
                ++shared;
        }
        if (shared == 0)
            break;
        const qint64 share = roundHalfEven(rest, shared);
        bool changed = false;
        for (int i = 0; i < 3; ++i) {
            // A column with no need of its own takes the share, however small.
            if (!fixed[i] && needs[i] > 0 && needs[i] > share) {
                fixed[i] = true;
                widths[i] = needs[i];
                changed = true;
            }
        }
        if (!changed) {
            for (int i = 0; i < 3; ++i) {
                if (!fixed[i])
                    widths[i] = share;
            }
            break;
        }
    }
    return widths;
}

} // namespace

QList<Move> batModeFrameResize(const PanelInput &in)
{
    QList<Move> moves;
    Mover m(moves);
    const qint64 PW = in.width, PH = in.height;
    const auto [C1, C2, C3] = columnWidths(PW - Gutters, columnNeeds(in));
    const qint64 R = PH - 1060;
    // The buttons close up in a low panel, so that the columns end with the lists.
    const qint64 step = std::clamp<qint64>(std::min((R - Column1Rest) / 5, (R - Column2Rest) / 6), MinStep, Step);
    constexpr qint64 Box = InlineBoxHeight + BoxGap;

    m.move(QStringLiteral("addUrlLbl"), ListLeft, HeadTop);
    m.move(QStringLiteral("AddUrlText"), ListLeft, ListTop, C1, R);

    const qint64 X1 = C1 + X1Offset;
    const QStringList column1{QStringLiteral("addUrlCmd"), QStringLiteral("DelUrlCmd"), QStringLiteral("StartPickCmd"),
                              QStringLiteral("StopPickCmd"), QStringLiteral("InsertToTopCmd")};
    for (qsizetype i = 0; i < column1.size(); ++i)
        m.move(column1.at(i), X1, ListTop + step * i);
    m.move(QStringLiteral("FastPickChk"), X1, ListTop + step * column1.size());
    m.move(QStringLiteral("SkipDownloadedChk"), X1, ListTop + step * column1.size() + 400);
    // 同时采集 under the two boxes: its label, and the number beside it.
    const qint64 collectorsTop = ListTop + step * column1.size() + 800;
    m.move(QStringLiteral("CollectorsLbl"), X1, collectorsTop);
    m.move(QStringLiteral("CollectorsBox"), X1 + in.collectorsLblWidth + 60, collectorsTop);
    // 店铺上新 below them: the watched shops' window.
    m.move(QStringLiteral("WatchShopsCmd"), X1, collectorsTop + 450);

    const qint64 lights = in.indicatorHeight > 0 ? std::min<qint64>(R, in.indicatorHeight) : R;
    m.move(QStringLiteral("ProNumLbl"), X1 + 1250, ListTop, 500, lights);
    m.move(QStringLiteral("ProDenLbl"), X1 + 1250, ListTop, 500, lights);

    const qint64 X2 = X1 + IndicatorColumn;
    const qint64 pendingTop = ListTop + (in.shopBoxShown ? Box : 0);
    m.move(QStringLiteral("ReadyUrlLbl"), X2, HeadTop);
    m.move(QStringLiteral("readyDownList"), X2, pendingTop, C2, R - (pendingTop - ListTop));
    m.move(QStringLiteral("ShopUrlText"), X2, ListTop, C2);
    m.move(QStringLiteral("ASBabyUrlAlaCmd"), X2 + C2 - in.asBabyUrlAlaCmdWidth, HeadTop);

    const qint64 X3 = X2 + C2 + 1500;
    m.move(QStringLiteral("alreadyDownedlbl"), X3, HeadTop);
    const qint64 findLeft = X3 + in.alreadyDownedLblWidth;
    m.move(QStringLiteral("FindADLCmd"), findLeft, HeadTop);
    const qint64 upLeft = findLeft + in.findAdlCmdWidth + 20;
    m.move(QStringLiteral("FindUpCmd"), upLeft, HeadTop);
    m.move(QStringLiteral("FindNextCmd"), upLeft + in.findUpCmdWidth + 20, HeadTop);
    const qint64 numberTop = ListTop + (in.findBoxShown ? Box : 0);
    const qint64 downloadedTop = numberTop + (in.numberBoxShown ? Box : 0);
    m.move(QStringLiteral("AlreadyDownedList"), X3, downloadedTop, C3 - 200, R - (downloadedTop - ListTop));
    // Each box behind its label, the two together over the list's width.
    m.move(QStringLiteral("FindStrLbl"), X3, ListTop);
    m.move(QStringLiteral("FindStrText"), X3 + in.findStrLblWidth, ListTop, C3 - 200 - in.findStrLblWidth);
    m.move(QStringLiteral("NewBabyNumLbl"), X3, numberTop);
    m.move(QStringLiteral("NewBabyNumText"), X3 + in.newBabyNumLblWidth, numberTop, C3 - 200 - in.newBabyNumLblWidth,
           InlineBoxHeight);

    const qint64 X4 = X2 + C2 + 250;
    const QStringList column2{QStringLiteral("DelCmd"), QStringLiteral("RePickCmd"), QStringLiteral("SetSavePathCmd"),
                              QStringLiteral("OpenSavePathCmd"), QStringLiteral("EditBabyNumCmd")};
    for (qsizetype i = 0; i < column2.size(); ++i)
        m.move(column2.at(i), X4, ListTop + step * i);
    // In a low panel the buttons stand as close as the rest: no closer.
    const qint64 rise = std::min(OpenWebRise, step - MinStep);
    m.move(QStringLiteral("OpenWebCmd"), X4, ListTop + step * 5 - rise);
    m.move(QStringLiteral("PreviewCmd"), X4, ListTop + step * 6 - rise);

    const qint64 logLeft = qint64(in.xqkfLeft) + ContactButtonWidth + 200;
    m.move(QStringLiteral("mesgText"), logLeft, 0, PW - (qint64(in.xqkfLeft) + ContactButtonWidth + 250), 630);
    return moves;
}

Size minimumClient(const PanelInput &in)
{
    const std::array<qint64, 3> needs = columnNeeds(in);
    qint64 lists = 0;
    for (const qint64 need : needs)
        lists += std::max(need, MinListWidth);
    const qint64 panel = Gutters + lists + PanelRightMargin;
    const qint64 toolbar = qint64(in.xqkfLeft) + ContactButtonWidth + 250 + MinLogWidth + PanelRightMargin;
    const qint64 R = std::max(Column1Rest + 5 * MinStep, Column2Rest + 6 * MinStep);
    return {int(std::max(panel, toolbar)), int(AreaMargin + R + 1060)};
}

std::optional<int> hoverRow(int y, int count)
{
    const int row = roundHalfEven(y, HoverRowTwips);
    if (row > count)
        return std::nullopt;
    return row;
}

HoverBox hoverBox(int listLeft, int listTop, int x, int y)
{
    HoverBox box;
    box.left = listLeft + x + 200;
    box.top = listTop + y + 200;
    return box;
}

int Twips::toPixels(int twips) const
{
    return int(std::lround(twips * m_dpi / TwipsPerInch));
}

int Twips::fromPixels(int pixels) const
{
    return int(std::lround(pixels * TwipsPerInch / m_dpi));
}

QString textOnFocus(const QString &text, const QString &hint)
{
    return text == hint ? QString() : text;
}

} // namespace WindowLayout
