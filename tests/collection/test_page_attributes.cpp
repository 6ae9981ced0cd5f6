#include "collection/page_attributes.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

QString cells(const QString &openTag, int count, const QString &prefix)
{
    QString markup;
    for (int i = 1; i <= count; ++i)
        markup += QStringLiteral("\r\n") + openTag + prefix + QString::number(i) + QStringLiteral("</TD>");
    return markup;
}

QString names(int count) { return cells(QStringLiteral("<TD class=de-feature>"), count, QStringLiteral("n")); }
QString values(int count) { return cells(QStringLiteral("<TD class=de-value>"), count, QStringLiteral("v")); }

QList<AttributePair> numberedPairs(int count)
{
    QList<AttributePair> pairs;
    for (int i = 1; i <= count; ++i)
        pairs.append({QStringLiteral("n%1").arg(i), QStringLiteral("v%1").arg(i)});
    return pairs;
}

} // namespace

struct TableCase
{
    const char *name;
    QString markup;
    QList<AttributePair> pairs;
    QString itemNo;
};
ZORVANE_PRINT_AS_NAME(TableCase)

class AttributeTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(AttributeTable, PairsCellsAndTakesItemNumber)
{
    ItemRecord record;
    record.PickItemNo = QStringLiteral("from-list");
    ParseAttributeTable(GetParam().markup, record);
    EXPECT_EQ(record.AttrList, GetParam().pairs);
    EXPECT_EQ(record.PickItemNo, GetParam().itemNo);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AttributeTable,
    ::testing::Values(
        TableCase{"item_number",
                  QStringLiteral("\r\n<TR>\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>A-100</TD></TR>"),
                  {{QStringLiteral("货号"), QStringLiteral("A-100")}}, QStringLiteral("A-100")},
        TableCase{"three_names_five_values", names(3) + values(5), numberedPairs(3), QStringLiteral("from-list")},
        TableCase{"four_names_three_values", names(4) + values(3), numberedPairs(3), QStringLiteral("from-list")},
        TableCase{"five_names_one_value", names(5) + values(1), numberedPairs(1), QStringLiteral("from-list")},
        TableCase{"second_item_number_wins",
                  QStringLiteral("\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>A-1</TD>"
                                 "\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>B-2</TD>"),
                  {{QStringLiteral("货号"), QStringLiteral("A-1")}, {QStringLiteral("货号"), QStringLiteral("B-2")}},
                  QStringLiteral("B-2")},
        // The patterns ignore case, the removal does not.
        TableCase{"lower_case_tags_stay",
                  QStringLiteral("\r\n<td class=de-feature>货号</td>\r\n<TD class=de-value>C-3</td>"),
                  {{QStringLiteral("<td class=de-feature>货号</td>"), QStringLiteral("C-3</td>")}},
                  QStringLiteral("from-list")},
        // Greedy to the last cell of the line: why every cell needs a line of its own.
        TableCase{"cells_on_one_line_run_together",
                  QStringLiteral("<TD class=de-feature>品牌</TD><TD class=de-value>X</TD>"),
                  {{QStringLiteral("品牌<TD class=de-value>X"), QStringLiteral("X")}}, QStringLiteral("from-list")},
        TableCase{"quoted_class_not_a_cell",
                  QStringLiteral("\r\n<TD class=\"de-feature\">货号</TD>\r\n<TD class=de-value>D-4</TD>"), {},
                  QStringLiteral("from-list")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PickAttributes, ParsesOnlyTheFirstAttributeBlock)
{
    const QString table = QStringLiteral("\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>%1</TD>");
    PageSnapshot page;
    page.valid = true;
    page.blocks = {{QStringLiteral("mod-detail-attribute"), table.arg(u"X")},
                   {QStringLiteral("mod-detail-attributes"), table.arg(u"A-1")},
                   {QStringLiteral("mod-detail-attributes"), table.arg(u"B-2")}};
    ItemRecord record;
    PickAttributes(page, record);
    EXPECT_EQ(record.AttrList, (QList<AttributePair>{{QStringLiteral("货号"), QStringLiteral("A-1")}}));
    EXPECT_EQ(record.PickItemNo, QStringLiteral("A-1"));

    page.blocks.removeLast();
    page.blocks.removeLast();
    ItemRecord untouched;
    untouched.PickItemNo = QStringLiteral("from-list");
    PickAttributes(page, untouched);
    EXPECT_TRUE(untouched.AttrList.isEmpty());
    EXPECT_EQ(untouched.PickItemNo, QStringLiteral("from-list"));
}

TEST(GetPageTitle, AbsentTitleIsAFailure)
{
    PageSnapshot page;
    page.valid = true;
    EXPECT_FALSE(GetPageTitle(page).has_value());
    page.hasTitle = true;
    EXPECT_EQ(GetPageTitle(page), QString());
    page.title = QStringLiteral("女装 连衣裙");
    EXPECT_EQ(GetPageTitle(page), QStringLiteral("女装 连衣裙"));
    page.valid = false;
    EXPECT_FALSE(GetPageTitle(page).has_value());
}
