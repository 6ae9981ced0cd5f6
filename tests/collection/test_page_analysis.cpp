#include "collection/page_analysis.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

PageSnapshot snapshotOf(const QList<PageBlock> &blocks)
{
    PageSnapshot page;
    page.valid = true;
    page.blocks = blocks;
    return page;
}

struct Analysis
{
    Marketplace marketplace;
    ItemRecordTable records;
    ShopLinks shop;
    PageAnalyser analyser{marketplace, records, shop};
};

} // namespace

TEST(PatternEngine, DotStopsAtLineFeedOnlyAndMatchesDoNotOverlap)
{
    Analysis a;
    a.analyser.PickMainImages(QStringLiteral("http://a/\nb.jpg http://c/d\r.gif http://e/f.pnghttp://g/h.bmp"
                                              " http://x/http://y/z.jpg"), 0, 0);
    EXPECT_EQ(a.records.record(0).MainImgList,
              (QStringList{QStringLiteral("http://c/d\r.gif"), QStringLiteral("http://e/f.png"),
                           QStringLiteral("http://g/h.bmp"), QStringLiteral("http://x/http://y/z.jpg")}));
}

struct MainCase
{
    const char *name;
    int mainMode;
    QString markup;
    QStringList expected;
};
ZORVANE_PRINT_AS_NAME(MainCase)

class MainImages : public ::testing::TestWithParam<MainCase> {};

TEST_P(MainImages, CollectsInOrderWithoutRepeats)
{
    Analysis a;
    a.analyser.PickMainImages(GetParam().markup, GetParam().mainMode, 3);
    EXPECT_EQ(a.records.record(3).MainImgList, GetParam().expected);
    EXPECT_TRUE(a.records.record(0).MainImgList.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MainImages,
    ::testing::Values(
        MainCase{"repeat_kept_once_first_wins", 1,
                 QStringLiteral(R"(<LI data-imgs="{"preview":"https://a/1s.jpg","original":"https://a/1.jpg"}">)"
                                R"(<LI data-imgs="{"original":"https://a/2.jpg"}"><LI data-imgs="{"original":"https://a/1.jpg"}">)"),
                 {QStringLiteral("https://a/1.jpg"), QStringLiteral("https://a/2.jpg")}},
        MainCase{"backslash_cut_then_prefix_dropped", 1,
                 QStringLiteral(R"("original":"https://a/b\/c.jpg")"), {QStringLiteral("https://a/b")}},
        MainCase{"upper_case_scheme_and_extension", 1,
                 QStringLiteral(R"("ORIGINAL":"HTTP://A/B.JPG")"), {QStringLiteral("HTTP://A/B.JPG")}},
        MainCase{"lazy_up_to_first_extension", 1,
                 QStringLiteral(R"("original":"http://a/1.png","x":"b.jpg")"), {QStringLiteral("http://a/1.png")}},
        MainCase{"detail_mode_ignores_plain_addresses", 1,
                 QStringLiteral(R"(<IMG src="http://a/thumb.jpg">)"), {}},
        MainCase{"other_mode_takes_every_address", 0,
                 QStringLiteral(R"(<IMG src="http://a/1.gif"> "original":"https://a/2.jpg" <IMG src="HTTP://a/1.gif">)"),
                 {QStringLiteral("http://a/1.gif"), QStringLiteral("https://a/2.jpg"), QStringLiteral("HTTP://a/1.gif")}}),
    [](const auto &info) { return std::string(info.param.name); });

struct DescCase
{
    const char *name;
    QString text;
    QString expected;
};
ZORVANE_PRINT_AS_NAME(DescCase)

class DescAddress : public ::testing::TestWithParam<DescCase> {};

TEST_P(DescAddress, CutsAtBackslashAndTakesFirstOfSeveralSrc)
{
    Analysis a;
    EXPECT_EQ(a.analyser.DescImageAddress(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DescAddress,
    ::testing::Values(
        DescCase{"plain", QStringLiteral("http://a/1.jpg"), QStringLiteral("http://a/1.jpg")},
        DescCase{"one_src_kept_whole", QStringLiteral(R"(http://a/x" src="http://b/y.jpg)"),
                 QStringLiteral(R"(http://a/x" src="http://b/y.jpg)")},
        DescCase{"two_src_first_without_prefix", QStringLiteral(R"(src="http://a/1.jpg src="http://b/2.png)"),
                 QStringLiteral("http://a/1.jpg")},
        // The second alternative has no src=" yet loses five characters all the same.
        DescCase{"two_https_lose_five", QStringLiteral("https://a/1.jpg https://b/2.gif"),
                 QStringLiteral("://a/1.jpg")},
        DescCase{"backslash_cut_without_extension", QStringLiteral("http://a/b\\c.jpg"), QStringLiteral("http://a/b")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DescImages, KeepsRepeatsInPageOrder)
{
    Analysis a;
    a.records.record(0).DescImgList = {QStringLiteral("http://old/0.jpg")};
    a.analyser.PickDescImages(QStringLiteral("\r\n<P><IMG src=\"http://a/1.jpg\"><IMG src=\"HTTPS://A/2.GIF\">"
                                             "\r\n<P><IMG src=\"http://a/1.jpg\"><IMG src=\"http://a/b\\c.jpg\">"),
                              0);
    EXPECT_EQ(a.records.record(0).DescImgList,
              (QStringList{QStringLiteral("http://old/0.jpg"), QStringLiteral("http://a/1.jpg"),
                           QStringLiteral("HTTPS://A/2.GIF"), QStringLiteral("http://a/1.jpg"),
                           QStringLiteral("http://a/b")}));
}

struct ShopCase
{
    const char *name;
    QString markup;
    QStringList expected;
    bool pageEnd;
};
ZORVANE_PRINT_AS_NAME(ShopCase)

class ShopItemLinks : public ::testing::TestWithParam<ShopCase> {};

TEST_P(ShopItemLinks, TakesEverySecondLink)
{
    Analysis a;
    a.analyser.PickShopItemLinks(GetParam().markup);
    EXPECT_EQ(a.shop.ShopItemLinks, GetParam().expected);
    EXPECT_EQ(a.shop.ShopPageEnd, GetParam().pageEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ShopItemLinks,
    ::testing::Values(
        ShopCase{"pairs",
                 QStringLiteral(R"(<A href="http://detail.zorvane.com/offer/11.html"><IMG></A>)"
                                R"(<A href="http://detail.zorvane.com/offer/11.html">a</A>)"
                                R"(<A href="http://detail.zorvane.com/offer/22.html"><IMG></A>)"
                                R"(<A href="http://detail.zorvane.com/offer/22.html">b</A>)"),
                 {QStringLiteral("http://detail.zorvane.com/offer/11.html"),
                  QStringLiteral("http://detail.zorvane.com/offer/22.html")},
                 false},
        ShopCase{"odd_count_takes_last",
                 QStringLiteral("http://detail.zorvane.com/offer/1.html http://DETAIL.zorvane.com/offer/1.HTML "
                                "http://detail.zorvane.com/offer/3.html"),
                 {QStringLiteral("http://detail.zorvane.com/offer/1.html"),
                  QStringLiteral("http://detail.zorvane.com/offer/3.html")},
                 false},
        ShopCase{"one_link_ends", QStringLiteral("http://detail.zorvane.com/offer/1.html"), {}, true},
        ShopCase{"other_hosts_ignored",
                 QStringLiteral("http://detailxzorvane.com/offer/1.html http://www.zorvane.com/offer/2.html"), {},
                 true}),
    [](const auto &info) { return std::string(info.param.name); });

struct PageCase
{
    const char *name;
    QList<PageBlock> blocks;
    bool checkOnly;
    bool result;
    bool pageEnd;
    QStringList main;
    QStringList desc;
    QStringList links;
};
ZORVANE_PRINT_AS_NAME(PageCase)

class AnalysePage : public ::testing::TestWithParam<PageCase> {};

TEST_P(AnalysePage, WalksBlocksInOrder)
{
    const PageCase &c = GetParam();
    Analysis a;
    EXPECT_EQ(a.analyser.AnalysePage(snapshotOf(c.blocks), 1, 5, c.checkOnly), c.result);
    EXPECT_EQ(a.shop.ShopPageEnd, c.pageEnd);
    EXPECT_EQ(a.records.record(5).MainImgList, c.main);
    EXPECT_EQ(a.records.record(5).DescImgList, c.desc);
    EXPECT_EQ(a.shop.ShopItemLinks, c.links);
}

namespace {
const QString M1 = QStringLiteral("https://i/m1.jpg");
const QString M2 = QStringLiteral("https://i/m2.jpg");
const QString D1 = QStringLiteral("https://i/d1.jpg");
const QString L1 = QStringLiteral("http://detail.zorvane.com/offer/1.html");
const PageBlock mainBlock{QStringLiteral("mod-detail"), QStringLiteral(R"(<LI data-imgs="{"original":"https://i/m1.jpg"}">)")};
const PageBlock mainBlock2{QStringLiteral("mod-detail"), QStringLiteral(R"(<LI data-imgs="{"original":"https://i/m2.jpg"}">)")};
const PageBlock descBlock{QStringLiteral("desc-lazyload-container"), QStringLiteral(R"(<IMG src="https://i/d1.jpg">)")};
const PageBlock shopBlock{QStringLiteral("wp-all-offer-tab"), L1 + u' ' + L1};
const PageBlock oneLinkShop{QStringLiteral("wp-all-offer-tab"), L1};
const PageBlock attributes{QStringLiteral("mod-detail-attributes"), QStringLiteral(R"(<IMG src="https://i/a.jpg">)")};
const PageBlock upperId{QStringLiteral("MOD-DETAIL"), mainBlock.innerHtml};
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Modes, AnalysePage,
    ::testing::Values(
        PageCase{"check_main_only", {mainBlock, attributes}, true, false, false, {}, {}, {}},
        PageCase{"check_desc_only", {descBlock}, true, false, false, {}, {}, {}},
        PageCase{"check_both", {descBlock, mainBlock}, true, true, false, {}, {}, {}},
        PageCase{"check_id_compared_exactly", {upperId, descBlock}, true, false, false, {}, {}, {}},
        PageCase{"check_shop_block", {shopBlock}, true, true, false, {}, {}, {L1}},
        PageCase{"check_shop_one_link", {oneLinkShop}, true, true, true, {}, {}, {}},
        PageCase{"extract_detail_ends_shop_walk", {mainBlock, attributes, descBlock}, false, false, true, {M1}, {D1}, {}},
        PageCase{"extract_two_main_blocks_both_add", {mainBlock, mainBlock2, mainBlock}, false, false, true, {M1, M2}, {}, {}},
        PageCase{"extract_shop_stops_walk", {mainBlock, shopBlock, descBlock}, false, true, false, {M1}, {}, {L1}},
        PageCase{"extract_nothing", {attributes, upperId}, false, false, true, {}, {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RemoveDuplicates, KeepsFirstOccurrencesCaseSensitively)
{
    QStringList list{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("A"),
                     QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")};
    RemoveDuplicates(list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("c")}));
    QStringList one{QStringLiteral("x")};
    RemoveDuplicates(one);
    EXPECT_EQ(one, QStringList{QStringLiteral("x")});
}
