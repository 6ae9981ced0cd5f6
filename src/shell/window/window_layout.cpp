#include "shell/window/window_layout.h"

#include <algorithm>
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
constexpr qint64 AreaTop = 960;
constexpr qint64 AreaMargin = 1200; // toolbar band, address strip and the progress strip
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

QList<Move> batModeFrameResize(const PanelInput &in)
{
    QList<Move> moves;
    Mover m(moves);
    const qint64 PW = in.width, PH = in.height;
    const qint64 C = roundHalfEven(PW - 3500, 3);
    const qint64 R = PH - 1060;
    constexpr qint64 HeadTop = 360, ListTop = 700, Step = 750;

    m.move(QStringLiteral("addUrlLbl"), 200, HeadTop);
    m.move(QStringLiteral("AddUrlText"), 200, ListTop, C, R);

    const qint64 X1 = C + 450;
    const QStringList column1{QStringLiteral("addUrlCmd"), QStringLiteral("DelUrlCmd"), QStringLiteral("StartPickCmd"),
                              QStringLiteral("StopPickCmd"), QStringLiteral("InsertToTopCmd")};
    for (qsizetype i = 0; i < column1.size(); ++i)
        m.move(column1.at(i), X1, ListTop + Step * i);
    m.move(QStringLiteral("FastPickChk"), X1, ListTop + Step * column1.size());
    m.move(QStringLiteral("SkipDownloadedChk"), X1, ListTop + Step * column1.size() + 400);
    // 同时采集 under the two boxes: its label, and the number beside it.
    const qint64 collectorsTop = ListTop + Step * column1.size() + 800;
    m.move(QStringLiteral("CollectorsLbl"), X1, collectorsTop);
    m.move(QStringLiteral("CollectorsBox"), X1 + in.collectorsLblWidth + 60, collectorsTop);
    // 店铺上新 below them: the watched shops' window.
    m.move(QStringLiteral("WatchShopsCmd"), X1, collectorsTop + 450);

    const qint64 lights = in.indicatorHeight > 0 ? std::min<qint64>(R, in.indicatorHeight) : R;
    m.move(QStringLiteral("ProNumLbl"), X1 + 1250, ListTop, 500, lights);
    m.move(QStringLiteral("ProDenLbl"), X1 + 1250, ListTop, 500, lights);

    const qint64 X2 = X1 + 1250 + 500;
    m.move(QStringLiteral("ReadyUrlLbl"), X2, HeadTop);
    m.move(QStringLiteral("readyDownList"), X2, ListTop, C, R);
    m.move(QStringLiteral("ShopUrlText"), X2, ListTop, C);
    m.move(QStringLiteral("ASBabyUrlAlaCmd"), X2 + C - in.asBabyUrlAlaCmdWidth, HeadTop);

    const qint64 X3 = X2 + C + 1500;
    m.move(QStringLiteral("alreadyDownedlbl"), X3, HeadTop);
    const qint64 findLeft = X3 + in.alreadyDownedLblWidth;
    m.move(QStringLiteral("FindADLCmd"), findLeft, HeadTop);
    const qint64 upLeft = findLeft + in.findAdlCmdWidth + 20;
    m.move(QStringLiteral("FindUpCmd"), upLeft, HeadTop);
    m.move(QStringLiteral("FindNextCmd"), upLeft + in.findUpCmdWidth + 20, HeadTop);
    m.move(QStringLiteral("AlreadyDownedList"), X3, ListTop, C - 200, R);
    m.move(QStringLiteral("FindStrText"), X3, ListTop, C - 200);

    const qint64 X4 = X2 + C + 250;
    const QStringList column2{QStringLiteral("DelCmd"), QStringLiteral("RePickCmd"), QStringLiteral("SetSavePathCmd"),
                              QStringLiteral("OpenSavePathCmd"), QStringLiteral("EditBabyNumCmd")};
    for (qsizetype i = 0; i < column2.size(); ++i)
        m.move(column2.at(i), X4, ListTop + Step * i);
    m.move(QStringLiteral("NewBabyNumText"), X4 + in.editBabyNumCmdWidth, ListTop + Step * 4);
    m.move(QStringLiteral("OpenWebCmd"), X4, 4400);
    m.move(QStringLiteral("PreviewCmd"), X4, 4400 + Step);

    const qint64 logLeft = qint64(in.xqkfLeft) + ContactButtonWidth + 200;
    m.move(QStringLiteral("mesgText"), logLeft, 0, PW - (qint64(in.xqkfLeft) + ContactButtonWidth + 250), 630);
    return moves;
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
