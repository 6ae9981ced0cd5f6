#include "log_text.h"
#include "collection/page_attributes.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {


// `count` cells of one kind, each on a line of its own: n1, n2… or v1, v2…
QString cells(const char16_t *openTag, QChar prefix, int count)
{
    QString markup;
    for (int i = 1; i <= count; ++i)
        markup += S(u"\r\n") + S(openTag) + prefix + QString::number(i) + S(u"</TD>");
    return markup;
}
QString names(int count) { return cells(u"<TD class=de-feature>", u'n', count); }
QString values(int count) { return cells(u"<TD class=de-value>", u'v', count); }

QList<AttributePair> numbered(int count)
{
    QList<AttributePair> pairs;
    for (int i = 1; i <= count; ++i)
        pairs.append({S(u"n%1").arg(i), S(u"v%1").arg(i)});
    return pairs;
}

} // namespace

struct TableCase
{
    const char *name;
    QString markup;
    QList<AttributePair> pairs;
    QString itemNo = S(u"from-list");
};
ZORVANE_PRINT_AS_NAME(TableCase)

class AttributeTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(AttributeTable, PairsCellsAndTakesTheItemNumber)
{
    ItemRecord record;
    record.PickItemNo = S(u"from-list");
    ParseAttributeTable(GetParam().markup, record);
    EXPECT_EQ(record.AttrList, GetParam().pairs);
    EXPECT_EQ(record.PickItemNo, GetParam().itemNo);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AttributeTable,
    ::testing::Values(
        TableCase{"item_number", S(u"\r\n<TR>\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>A-100</TD></TR>"),
                  {{S(u"货号"), S(u"A-100")}}, S(u"A-100")},
        TableCase{"three_names_five_values", names(3) + values(5), numbered(3)},
        TableCase{"four_names_three_values", names(4) + values(3), numbered(3)},
        TableCase{"five_names_one_value", names(5) + values(1), numbered(1)},
        TableCase{"second_item_number_wins",
                  S(u"\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>A-1</TD>"
                    u"\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>B-2</TD>"),
                  {{S(u"货号"), S(u"A-1")}, {S(u"货号"), S(u"B-2")}}, S(u"B-2")},
        // The patterns ignore case, the tag removal does not.
        TableCase{"lower_case_tags_stay", S(u"\r\n<td class=de-feature>货号</td>\r\n<TD class=de-value>C-3</td>"),
                  {{S(u"<td class=de-feature>货号</td>"), S(u"C-3</td>")}}},
        // Greedy to the line's last cell: why every cell needs a line of its own.
        TableCase{"cells_on_one_line_run_together", S(u"<TD class=de-feature>品牌</TD><TD class=de-value>X</TD>"),
                  {{S(u"品牌<TD class=de-value>X"), S(u"X")}}},
        TableCase{"quoted_class_is_no_cell", S(u"\r\n<TD class=\"de-feature\">货号</TD>\r\n<TD class=de-value>D</TD>"), {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PickAttributes, ParsesOnlyTheFirstBlockWithTheExactId)
{
    const QString table = S(u"\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>%1</TD>");
    PageSnapshot page;
    page.valid = true;
    page.blocks = {{S(u"mod-detail-attribute"), table.arg(u"X")},
                   {S(u"mod-detail-attributes"), table.arg(u"A-1")},
                   {S(u"mod-detail-attributes"), table.arg(u"B-2")}};
    ItemRecord record;
    PickAttributes(page, record);
    EXPECT_EQ(record.AttrList, (QList<AttributePair>{{S(u"货号"), S(u"A-1")}}));
    EXPECT_EQ(record.PickItemNo, S(u"A-1"));

    page.blocks.resize(1);
    ItemRecord untouched;
    PickAttributes(page, untouched);
    EXPECT_TRUE(untouched.AttrList.isEmpty() && untouched.PickItemNo.isEmpty());
}

TEST(GetPageTitle, AbsentTitleIsAFailure)
{
    PageSnapshot page;
    page.valid = true;
    EXPECT_FALSE(GetPageTitle(page).has_value());
    page.hasTitle = true;
    EXPECT_EQ(GetPageTitle(page), QString());
    page.valid = false;
    EXPECT_FALSE(GetPageTitle(page).has_value());
}
