#include "log_text.h"
#include "collection/page_analysis.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

struct Analysis
{
    Marketplace marketplace;
    ItemRecordTable records;
    ShopLinks shop;
    PageAnalyser analyser{marketplace, records, shop};
};


} // namespace

enum class Pick { Main1, Main0, Desc, Shop };

struct PickCase
{
    const char *name;
    Pick pick;
    QString markup;
    QStringList expected;
    bool pageEnd = false;
};
ZORVANE_PRINT_AS_NAME(PickCase)

class PickRules : public ::testing::TestWithParam<PickCase> {};

TEST_P(PickRules, CollectIntoTheSlot)
{
    const PickCase &c = GetParam();
    Analysis a;
    const ItemRecord &record = a.records.record(3);
    QStringList found;
    switch (c.pick) {
    case Pick::Main1:
    case Pick::Main0:
        a.analyser.PickMainImages(c.markup, c.pick == Pick::Main1 ? 1 : 0, 3);
        found = record.MainImgList;
        break;
    case Pick::Desc:
        a.analyser.PickDescImages(c.markup, 3);
        found = record.DescImgList;
        break;
    case Pick::Shop:
        a.analyser.PickShopItemLinks(c.markup);
        found = a.shop.ShopItemLinks;
        break;
    }
    EXPECT_EQ(found, c.expected);
    EXPECT_EQ(a.shop.ShopPageEnd, c.pageEnd);
    EXPECT_TRUE(a.records.record(0).MainImgList.isEmpty() && a.records.record(0).DescImgList.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Markup, PickRules,
    ::testing::Values(
        PickCase{"main_repeat_kept_once_first_wins", Pick::Main1,
                 S(uR"(<LI data-imgs="{"preview":"https://a/1s.jpg","original":"https://a/1.jpg"}">)"
                   uR"(<LI data-imgs="{"original":"https://a/2.jpg"}"><LI data-imgs="{"original":"https://a/1.jpg"}">)"),
                 {S(u"https://a/1.jpg"), S(u"https://a/2.jpg")}},
        PickCase{"main_backslash_cut_then_prefix_dropped", Pick::Main1, S(uR"("original":"https://a/b\/c.jpg")"),
                 {S(u"https://a/b")}},
        PickCase{"main_upper_case_scheme_and_extension", Pick::Main1, S(uR"("ORIGINAL":"HTTP://A/B.JPG")"),
                 {S(u"HTTP://A/B.JPG")}},
        PickCase{"main_lazy_to_first_extension_plain_ignored", Pick::Main1,
                 S(uR"(<IMG src="http://a/t.jpg"> "original":"http://a/1.png","x":"b.jpg")"), {S(u"http://a/1.png")}},
        PickCase{"main_other_mode_takes_every_address", Pick::Main0,
                 S(uR"(<IMG src="http://a/1.gif"> "original":"https://a/2.jpg" <IMG src="HTTP://a/1.gif">)"),
                 {S(u"http://a/1.gif"), S(u"https://a/2.jpg"), S(u"HTTP://a/1.gif")}},
        // "." stops at a line feed only; matches run left to right without overlapping.
        PickCase{"dot_and_match_order", Pick::Main0,
                 S(u"http://a/\nb.jpg http://c/d\r.gif http://e/f.pnghttp://g/h.bmp http://x/http://y/z.jpg"),
                 {S(u"http://c/d\r.gif"), S(u"http://e/f.png"), S(u"http://g/h.bmp"), S(u"http://x/http://y/z.jpg")}},
        PickCase{"desc_repeats_kept_backslash_cut_stored", Pick::Desc,
                 S(uR"(<IMG src="http://a/1.jpg"><IMG src="HTTPS://A/2.GIF"><IMG src="http://a/1.jpg"><IMG src="http://a/b\c.jpg">)"),
                 {S(u"http://a/1.jpg"), S(u"HTTPS://A/2.GIF"), S(u"http://a/1.jpg"), S(u"http://a/b")}},
        PickCase{"desc_one_src_inside_a_match_kept_whole", Pick::Desc, S(uR"(http://a/x" src="http://b/y.jpg)"),
                 {S(uR"(http://a/x" src="http://b/y.jpg)")}},
        PickCase{"shop_every_second_link", Pick::Shop,
                 S(u"http://detail.zorvane.com/offer/11.html http://detail.zorvane.com/offer/11.html "
                   u"http://DETAIL.zorvane.com/offer/22.HTML http://detail.zorvane.com/offer/22.html "
                   u"http://detail.zorvane.com/offer/33.html"),
                 {S(u"http://detail.zorvane.com/offer/11.html"), S(u"http://DETAIL.zorvane.com/offer/22.HTML"),
                  S(u"http://detail.zorvane.com/offer/33.html")}},
        PickCase{"shop_either_scheme", Pick::Shop,
                 S(u"https://detail.zorvane.com/offer/5.html https://detail.zorvane.com/offer/5.html "
                   u"http://detail.zorvane.com/offer/6.html http://detail.zorvane.com/offer/6.html "
                   u"ftp://detail.zorvane.com/offer/7.html ftp://detail.zorvane.com/offer/7.html"),
                 {S(u"https://detail.zorvane.com/offer/5.html"), S(u"http://detail.zorvane.com/offer/6.html")}},
        PickCase{"shop_one_link_ends", Pick::Shop, S(u"http://detail.zorvane.com/offer/1.html"), {}, true},
        PickCase{"shop_other_hosts_end", Pick::Shop,
                 S(u"http://detailxzorvane.com/offer/1.html http://www.zorvane.com/offer/2.html"), {}, true}),
    [](const auto &info) { return std::string(info.param.name); });

// Unreachable from PickDescImages (a match ends at its first extension, so
// it holds at most one src address), but the rule is kept as written.
TEST(DescImageAddress, TwoOrMoreSrcMatchesGiveTheFirstWithoutFiveCharacters)
{
    Analysis a;
    EXPECT_EQ(a.analyser.DescImageAddress(S(uR"(src="http://a/1.jpg src="http://b/2.png)")), S(u"http://a/1.jpg"));
    EXPECT_EQ(a.analyser.DescImageAddress(S(u"https://a/1.jpg https://b/2.gif")), S(u"://a/1.jpg"));
    EXPECT_EQ(a.analyser.DescImageAddress(S(u"http://a/b\\c.jpg")), S(u"http://a/b"));
}

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

TEST_P(AnalysePage, WalksTheBlocksInOrder)
{
    const PageCase &c = GetParam();
    PageSnapshot page;
    page.valid = true;
    page.blocks = c.blocks;
    Analysis a;
    EXPECT_EQ(a.analyser.AnalysePage(page, 1, 5, c.checkOnly), c.result);
    EXPECT_EQ(a.shop.ShopPageEnd, c.pageEnd);
    EXPECT_EQ(a.records.record(5).MainImgList, c.main);
    EXPECT_EQ(a.records.record(5).DescImgList, c.desc);
    EXPECT_EQ(a.shop.ShopItemLinks, c.links);
}

namespace {
const QString M1 = S(u"https://i/m1.jpg"), M2 = S(u"https://i/m2.jpg"), D1 = S(u"https://i/d1.jpg");
const QString L1 = S(u"http://detail.zorvane.com/offer/1.html");
const PageBlock main1{S(u"mod-detail"), S(uR"(<LI data-imgs="{"original":"https://i/m1.jpg"}">)")};
const PageBlock main2{S(u"mod-detail"), S(uR"(<LI data-imgs="{"original":"https://i/m2.jpg"}">)")};
const PageBlock desc{S(u"desc-lazyload-container"), S(uR"(<IMG src="https://i/d1.jpg">)")};
const PageBlock shop{S(u"wp-all-offer-tab"), L1 + u' ' + L1};
const PageBlock shopOneLink{S(u"wp-all-offer-tab"), L1};
const PageBlock attributes{S(u"mod-detail-attributes"), S(uR"(<IMG src="https://i/a.jpg">)")};
const PageBlock upperId{S(u"MOD-DETAIL"), main1.innerHtml};
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Modes, AnalysePage,
    ::testing::Values(
        PageCase{"check_main_only", {main1, attributes}, true, false, false, {}, {}, {}},
        PageCase{"check_desc_only", {desc}, true, false, false, {}, {}, {}},
        PageCase{"check_both", {desc, main1}, true, true, false, {}, {}, {}},
        PageCase{"check_id_compared_exactly", {upperId, desc}, true, false, false, {}, {}, {}},
        // An item address may lead to the shop's offer list: no detail page, and nothing collected.
        PageCase{"check_shop_block", {shop}, true, false, false, {}, {}, {}},
        PageCase{"check_shop_one_link", {shopOneLink}, true, false, false, {}, {}, {}},
        PageCase{"extract_detail_page", {main1, attributes, desc}, false, false, true, {M1}, {D1}, {}},
        PageCase{"extract_every_main_block_adds", {main1, main2, main1}, false, false, true, {M1, M2}, {}, {}},
        PageCase{"extract_shop_stops_the_walk", {main1, shop, desc}, false, true, false, {M1}, {}, {L1}},
        PageCase{"extract_no_known_block", {attributes, upperId}, false, false, true, {}, {}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RemoveDuplicates, KeepsFirstOccurrencesCaseSensitively)
{
    QStringList list{S(u"a"), S(u"b"), S(u"a"), S(u"A"), S(u"b"), S(u"a"), S(u"c")};
    RemoveDuplicates(list);
    EXPECT_EQ(list, (QStringList{S(u"a"), S(u"b"), S(u"A"), S(u"c")}));
}

TEST(ItemLink, AnItemPagesAddressFromItsStartInAnyCaseOfTheScheme)
{
    Analysis a;
    const std::pair<QString, bool> cases[] = {
        {S(u"http://detail.zorvane.com/offer/7.html"), true},
        {S(u"HTTPS://detail.zorvane.com/offer/7.html"), true},
        {S(u"https://DETAIL.zorvane.com/offer/7.html?spm=a1"), true},
        {S(u"detail.zorvane.com/offer/7.html"), true}, // typed without a scheme
        {S(u"http://www.zorvane.com/offer/7.html"), false},
        {S(u"http://detail.zorvane.com/help/7.html"), false},
        {S(u"http://shop.example.com/?to=http://detail.zorvane.com/offer/7.html"), false},
        {S(u"宝贝url"), false},
    };
    for (const auto &[address, link] : cases)
        EXPECT_EQ(a.analyser.isItemLink(address), link) << address.toStdString();
}
