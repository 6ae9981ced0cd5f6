#include "collection/marketplace.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

struct CleanCase
{
    const char *name;
    QString input;
    QString expected;
};

class CleanNameTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanNameTest, RemovesInOrder)
{
    EXPECT_EQ(CleanName(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CleanNameTest,
    ::testing::Values(
        CleanCase{"prefix_and_separators", QStringLiteral("Pick:My item - red/blue"), QStringLiteral("Myitemredblue")},
        CleanCase{"three_points", QStringLiteral("a...b"), QStringLiteral("ab")},
        CleanCase{"two_points_stay", QStringLiteral("a..b"), QStringLiteral("a..b")},
        CleanCase{"lower_case_pick_stays", QStringLiteral("pick"), QStringLiteral("pick")},
        CleanCase{"dash_joins_pick", QStringLiteral("P-ick up"), QStringLiteral("up")},
        // The quote goes last, so it cannot join "Pi" and "ck" into a removable word.
        CleanCase{"quote_removed_last", QStringLiteral("Pi\"ck"), QStringLiteral("Pick")},
        CleanCase{"all_forbidden", QStringLiteral("\\|*?<>\":"), QString()},
        CleanCase{"full_width_kept", QStringLiteral("女装：连衣裙，红色"), QStringLiteral("女装：连衣裙，红色")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PlainPageText, ControlRunsBecomeOneBlankAndBarsTheFullWidthBar)
{
    const struct
    {
        const char *name;
        QString page;
        QString plain;
    } cases[] = {
        {"title on lines of its own", QStringLiteral("\n 春季新款\r\n\t"), QStringLiteral("  春季新款 ")},
        {"carriage return before a tag", QStringLiteral("H\r<AlreadyDownedList>"), QStringLiteral("H <AlreadyDownedList>")},
        {"field separators", QStringLiteral("H|1|2"), QStringLiteral("H｜1｜2")},
        {"NUL, DEL and C1 controls", QStringLiteral("a") + QChar(0) + QChar(0x7F) + QStringLiteral("b") + QChar(0x85),
         QStringLiteral("a b ")},
        {"line and paragraph separators", QStringLiteral("a") + QChar(0x2028) + QChar(0x2029) + QStringLiteral("b"),
         QStringLiteral("a b")},
        {"plain text stays", QStringLiteral("货号：A-1 (红)"), QStringLiteral("货号：A-1 (红)")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlainPageText(c.page), c.plain);
    }
    EXPECT_EQ(CleanName(PlainPageText(QStringLiteral("\n 春季新款\n"))), QStringLiteral("春季新款"));
    EXPECT_EQ(PlainPageAddress(QStringLiteral("http://d/x?a=1|2\n")), QStringLiteral("http://d/x?a=1%7C2%0A"));
}

TEST(CleanPageTitle, CleanNameFirstWithControlsAsBlanksThenThePlainTextRule)
{
    const struct
    {
        const char *name;
        QString title;
        QString folder;
    } cases[] = {
        {"every removed character", QStringLiteral("Pick - / : | * ? < >"), QString()},
        {"bar between words", QStringLiteral("春季新款|连衣裙"), QStringLiteral("春季新款连衣裙")},
        {"bar joins a removed word", QStringLiteral("P|ick up"), QStringLiteral("up")},
        {"full-width bar stays", QStringLiteral("A｜B"), QStringLiteral("A｜B")},
        {"plain title", QStringLiteral("女装：连衣裙，红色 2026"), QStringLiteral("女装：连衣裙，红色2026")},
        {"title on lines of its own", QStringLiteral("\n 春季新款\r\n\t"), QStringLiteral("春季新款")},
        {"line break joins a removed word", QStringLiteral("P\nick"), QString()},
        {"tab goes before the points", QStringLiteral("a.\t..b"), QStringLiteral("ab")},
        {"line separator", QStringLiteral("a") + QChar(0x2028) + QStringLiteral("b|c"), QStringLiteral("abc")},
        {"NUL and C1 controls", QStringLiteral("a") + QChar(0) + QChar(0x85) + QStringLiteral("b"), QStringLiteral("ab")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CleanPageTitle(c.title), c.folder);
        if (c.title == BlankControls(c.title)) { // no control characters: exactly CleanName
            EXPECT_EQ(CleanPageTitle(c.title), CleanName(c.title));
        }
    }
}

TEST(ClearCollection, EmptiesAnyList)
{
    QStringList empty;
    ClearCollection(empty);
    EXPECT_TRUE(empty.isEmpty());
    QList<int> numbers{1, 2, 3};
    ClearCollection(numbers);
    EXPECT_TRUE(numbers.isEmpty());
}

TEST(FindTabPos, ReturnsLastMatchOrZero)
{
    const QList<qint16> tabs{3, 5, 3};
    EXPECT_EQ(FindTabPos(tabs, 3), 3);
    EXPECT_EQ(FindTabPos(tabs, 5), 2);
    EXPECT_EQ(FindTabPos(tabs, 7), 0);
    EXPECT_EQ(FindTabPos({}, 0), 0);
}

TEST(StatusLog, PrependsStampedLinesAndIgnoresEmpty)
{
    StatusLog log;
    QSignalSpy added(&log, &StatusLog::lineAdded);
    log.AddMesg(QString());
    EXPECT_TRUE(log.text().isEmpty());
    EXPECT_EQ(added.count(), 0);

    log.AddMesg(QStringLiteral("A"));
    log.AddMesg(QStringLiteral("B"));
    const QStringList lines = log.text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3); // two lines, each ending in CR LF
    EXPECT_TRUE(lines[2].isEmpty());
    const QRegularExpression stamped(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{2}:\\d{2} (.*)$"));
    EXPECT_EQ(stamped.match(lines[0]).captured(1), QStringLiteral("B"));
    EXPECT_EQ(stamped.match(lines[1]).captured(1), QStringLiteral("A"));
    ASSERT_EQ(added.count(), 2);
    EXPECT_EQ(added.at(0).at(0).toString(), lines[1]);
}

TEST(StatusLog, TimeFormIsTheGeneralDateAndTime)
{
    EXPECT_EQ(formatLogTime(QDateTime(QDate(2026, 12, 6), QTime(11, 23, 32))),
              QStringLiteral("2026/12/6 11:23:32"));
    EXPECT_EQ(formatLogTime(QDateTime(QDate(2027, 1, 9), QTime(8, 5, 0))),
              QStringLiteral("2027/1/9 8:05:00"));
}

TEST(Marketplace, ItemLinkPatternEscapesTheHost)
{
    Marketplace m;
    EXPECT_EQ(m.itemLinkPattern(), QStringLiteral("https?://detail\\.zorvane\\.com/offer/\\d+?\\.html"));
}

TEST(Marketplace, OnePageOneKeyWhateverTheSchemeCasePortOrQueryAndOneShopName)
{
    const QString item = QStringLiteral("http://detail.zorvane.com/offer/7.html");
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("HTTPS://Detail.Zorvane.COM/offer/7.html"), true},
        {QStringLiteral("https://detail.zorvane.com:443/offer/7.html?spm=a#desc"), true},
        {QStringLiteral("http://detail.zorvane.com:80/offer/7.html"), true},
        {QStringLiteral("detail.zorvane.com/offer/7.html"), true}, // typed without a scheme
        {QStringLiteral("http://detail.zorvane.com:8080/offer/7.html"), false},
        {QStringLiteral("http://detail.zorvane.com/offer/7.HTML"), false}, // paths keep their case
    };
    for (const auto &[address, same] : cases)
        EXPECT_EQ(Marketplace::pageKey(address) == Marketplace::pageKey(item), same) << address.toStdString();
    EXPECT_FALSE(Marketplace::movedElsewhere(QStringLiteral("https://shop.zorvane.com"), QStringLiteral("http://shop.zorvane.com/")));
    for (const QString &shop : {QStringLiteral("http://myshop.zorvane.com"), QStringLiteral("https://myshop.zorvane.com/"),
                                QStringLiteral("HTTPS://myshop.zorvane.com/"), QStringLiteral("Http://myshop.zorvane.com")}) {
        EXPECT_EQ(Marketplace::shopName(shop), QStringLiteral("myshop"));
        EXPECT_TRUE(Marketplace::shopPageAddress(shop, 2).endsWith(QStringLiteral("myshop.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=2")));
    }
}
