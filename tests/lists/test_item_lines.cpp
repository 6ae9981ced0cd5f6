#include "lists/item_lines.h"
#include "lists/item_list.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

struct PendingCase
{
    const char *name;
    QString line;
    QString itemNo;
    QString address;
    bool hasAddress;
    QString written; // toString of the parsed line
};

class PendingLineTest : public ::testing::TestWithParam<PendingCase> {};

TEST_P(PendingLineTest, ReadsFieldsZeroAndOne)
{
    const PendingCase &c = GetParam();
    const PendingLine pending = PendingLine::parse(c.line);
    EXPECT_EQ(pending.itemNo, c.itemNo);
    EXPECT_EQ(pending.address, c.address);
    EXPECT_EQ(pending.hasAddress, c.hasAddress);
    EXPECT_TRUE(pending.marker.isEmpty());
    EXPECT_EQ(pending.toString(), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PendingLineTest,
    ::testing::Values(
        PendingCase{"plain", QStringLiteral("A-1|http://d/1.html"), QStringLiteral("A-1"), QStringLiteral("http://d/1.html"), true,
                    QStringLiteral("A-1|http://d/1.html")},
        PendingCase{"marker_ignored", QStringLiteral("A-1|U|[上次软件退出未采集完成]"), QStringLiteral("A-1"), QStringLiteral("U"), true,
                    QStringLiteral("A-1|U")},
        PendingCase{"no_separator", QStringLiteral("just text"), QStringLiteral("just text"), QString(), false,
                    QStringLiteral("just text")},
        PendingCase{"empty_address", QStringLiteral("7|"), QStringLiteral("7"), QString(), true, QStringLiteral("7|")},
        PendingCase{"empty_line", QString(), QString(), QString(), false, QString()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ItemLines, WrittenForms)
{
    EXPECT_EQ((UrlInputLine{QStringLiteral("U"), QStringLiteral("A-1")}.toString()), QStringLiteral("U|A-1"));
    EXPECT_EQ((UrlInputLine{QStringLiteral("U"), QString()}.toString()), QStringLiteral("U|"));

    PendingLine interrupted{QStringLiteral("A-1"), QStringLiteral("U"), InterruptedMarker};
    EXPECT_EQ(interrupted.toString(), QStringLiteral("A-1|U|[上次软件退出未采集完成]"));

    const DownloadedLine full = DownloadedLine::parse(QStringLiteral("7|Title|D:\\out\\7|addr|extra"));
    EXPECT_EQ(full.itemNo, QStringLiteral("7"));
    EXPECT_EQ(full.title, QStringLiteral("Title"));
    EXPECT_EQ(full.folder, QStringLiteral("D:\\out\\7"));
    EXPECT_EQ(full.address, QStringLiteral("addr"));
    EXPECT_EQ(full.toString(), QStringLiteral("7|Title|D:\\out\\7|addr"));

    const DownloadedLine shortLine = DownloadedLine::parse(QStringLiteral("7|Title"));
    EXPECT_TRUE(shortLine.folder.isEmpty());
    EXPECT_TRUE(shortLine.address.isEmpty());
    EXPECT_EQ(shortLine.toString(), QStringLiteral("7|Title||"));
}

TEST(ItemLines, TheSentBackMarkerSurvivesWritingReadingAndTheInterruptedMarker)
{
    const struct
    {
        const char *line;
        bool sentBack;
        const char *written;
    } cases[] = {
        {"A-1|U|[重下]", true, "A-1|U|[重下]"},
        {"A-1|U|[上次软件退出未采集完成]|[重下]", true, "A-1|U|[重下]"},
        {"A-1|U|[上次软件退出未采集完成]", false, "A-1|U"},
        {"A-1|U|other|[重下]", true, "A-1|U|[重下]"},
        {"[重下]|U", false, "[重下]|U"}, // an item number, not a marker
        {"A-1|[重下]", false, "A-1|[重下]"},
    };
    for (const auto &c : cases) {
        const PendingLine line = PendingLine::parse(QString::fromUtf8(c.line));
        EXPECT_EQ(line.sentBack, c.sentBack) << c.line;
        EXPECT_EQ(line.toString(), QString::fromUtf8(c.written)) << c.line;
        EXPECT_EQ(line.withoutMarkers(), QString::fromUtf8(c.line).section(QLatin1Char('|'), 0, 1)) << c.line;
    }
    PendingLine interrupted = PendingLine::parse(QStringLiteral("A-1|U|[重下]"));
    interrupted.marker = InterruptedMarker;
    EXPECT_EQ(interrupted.toString(), QStringLiteral("A-1|U|[上次软件退出未采集完成]|[重下]"));
}

TEST(ItemList, SelectionTravelsWithItsEntry)
{
    ItemList list;
    for (const char *line : {"A", "B", "C", "D"})
        list.append(QString::fromLatin1(line));
    list.setSelected(1, true);
    list.setSelected(3, true);
    EXPECT_EQ(list.selectedCount(), 2);

    list.removeAt(0);            // B C D
    list.insert(0, QStringLiteral("Z")); // Z B C D
    list.replace(1, QStringLiteral("B2"));
    EXPECT_EQ(list.entries(), (QStringList{QStringLiteral("Z"), QStringLiteral("B2"), QStringLiteral("C"), QStringLiteral("D")}));
    EXPECT_FALSE(list.isSelected(0)) << "a new entry starts unselected";
    EXPECT_TRUE(list.isSelected(1)) << "replacing keeps the selection";
    EXPECT_FALSE(list.isSelected(2));
    EXPECT_TRUE(list.isSelected(3));

    list.insert(99, QStringLiteral("E"));
    EXPECT_EQ(list.at(4), QStringLiteral("E"));

    // Positions outside the list read empty and change nothing.
    EXPECT_EQ(list.at(5), QString());
    EXPECT_EQ(list.at(-1), QString());
    EXPECT_FALSE(list.isSelected(5));
    list.removeAt(5);
    list.replace(-1, QStringLiteral("x"));
    list.setSelected(7, true);
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.selectedCount(), 2);

    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selectedCount(), 0);
}

TEST(ItemList, ViewsSelectThroughTheModel)
{
    ItemList list;
    list.append(QStringLiteral("A"));
    list.append(QStringLiteral("B"));
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);

    EXPECT_TRUE(list.setData(list.index(1), true, ItemList::SelectedRole));
    EXPECT_TRUE(list.isSelected(1));
    EXPECT_TRUE(list.data(list.index(1), ItemList::SelectedRole).toBool());
    EXPECT_EQ(list.data(list.index(1), Qt::DisplayRole).toString(), QStringLiteral("B"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 1);
    EXPECT_FALSE(list.setData(list.index(0), QStringLiteral("text"), Qt::EditRole)) << "entries are not edited in place";
}
