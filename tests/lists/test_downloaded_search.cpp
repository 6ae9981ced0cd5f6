#include "collection/status_log.h"
#include "lists/downloaded_search.h"
#include "lists/item_list.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class SearchTest : public ::testing::Test
{
protected:
    SearchTest()
    {
        for (const QString &line : {QStringLiteral("1|Red cap|D:\\o\\1|a"), QStringLiteral("2|blue cap|D:\\o\\2|b"),
                                    QStringLiteral("3|Red hat|D:\\o\\3|c")})
            list.append(line);
        QObject::connect(&log, &StatusLog::lineAdded, [this](const QString &line) {
            messages.append(line.section(QLatin1Char(' '), 2)); // without date and time
        });
    }

    // Types the keyword into the opened box and presses Enter.
    void searchFor(const QString &keyword)
    {
        search.FindADLCmd_Click();
        search.FindStrText_MouseDown();
        search.setFindStrText(keyword);
        search.FindStrText_KeyPress(13);
    }

    QList<int> selected() const
    {
        QList<int> positions;
        for (int p = 0; p < list.count(); ++p)
            if (list.isSelected(p))
                positions.append(p);
        return positions;
    }

    // The log lines written since the last call, oldest first.
    QStringList takeMessages() { return std::exchange(messages, {}); }

    ItemList list;
    StatusLog log;
    DownloadedSearch search{list, log};
    QStringList messages;
};

QString total(const QString &keyword, int hits)
{
    return QStringLiteral("关键字:") + keyword + QStringLiteral(",在已下载列表共计查找到:") + QString::number(hits)
        + QStringLiteral("项,请点击【上一个】或【下一个】按钮进行查看结果");
}

QString found(const QString &entry)
{
    return QStringLiteral("在已下载列表查找到:") + entry;
}

} // namespace

struct KeywordCase
{
    const char *name;
    QString keyword;
    QStringList hits;
};

class SearchKeywordTest : public SearchTest, public ::testing::WithParamInterface<KeywordCase> {};

TEST_P(SearchKeywordTest, HitsAreWholeLineCaseSensitiveSubstrings)
{
    const KeywordCase &c = GetParam();
    list.setSelected(1, true); // the user's own selection goes
    searchFor(c.keyword);

    EXPECT_EQ(search.ustrFindStr(), c.keyword);
    EXPECT_EQ(search.ucolFindIndex(), c.hits);
    QStringList expected;
    for (const QString &hit : c.hits)
        expected.append(found(list.at(hit.toInt())));
    expected.append(total(c.keyword, int(c.hits.size())));
    EXPECT_EQ(takeMessages(), expected);
    if (c.hits.isEmpty()) {
        EXPECT_TRUE(selected().isEmpty());
    } else {
        EXPECT_EQ(selected(), QList<int>{c.hits.first().toInt()});
        EXPECT_EQ(search.ulngCurFindIndex(), 1);
    }
    EXPECT_FALSE(search.isFindStrTextVisible());
    EXPECT_EQ(search.FindStrText(), DownloadedSearch::hintText());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchKeywordTest,
    ::testing::Values(KeywordCase{"two_hits", QStringLiteral("Red"), {QStringLiteral("0"), QStringLiteral("2")}},
                      KeywordCase{"case_sensitive", QStringLiteral("red"), {}},
                      KeywordCase{"lower_case_word", QStringLiteral("blue"), {QStringLiteral("1")}},
                      KeywordCase{"folder_field", QStringLiteral("o\\3"), {QStringLiteral("2")}},
                      KeywordCase{"across_fields", QStringLiteral("2|b"), {QStringLiteral("1")}},
                      KeywordCase{"address_field", QStringLiteral("|c"), {QStringLiteral("2")}},
                      KeywordCase{"every_entry", QStringLiteral("cap|D:"), {QStringLiteral("0"), QStringLiteral("1")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SearchTest, SteppingThroughHitsAndPastBothEnds)
{
    searchFor(QStringLiteral("Red"));
    list.setSelected(1, true); // selected by the user after the search
    takeMessages();

    search.FindNextCmd_Click();
    EXPECT_EQ(search.ulngCurFindIndex(), 2);
    EXPECT_EQ(selected(), (QList<int>{1, 2})) << "stepping deselects only the hit it leaves";

    search.FindNextCmd_Click();
    EXPECT_EQ(search.ulngCurFindIndex(), 2);
    EXPECT_EQ(selected(), (QList<int>{1, 2}));

    search.FindUpCmd_Click();
    EXPECT_EQ(search.ulngCurFindIndex(), 1);
    EXPECT_EQ(selected(), (QList<int>{0, 1}));

    search.FindUpCmd_Click();
    EXPECT_EQ(search.ulngCurFindIndex(), 1);
    EXPECT_EQ(selected(), (QList<int>{0, 1}));

    EXPECT_EQ(takeMessages(), (QStringList{QStringLiteral("查找关键字:Red第2个结果"),
                                           QStringLiteral("查找关键字:Red,已经是最后一个,无法下一个"),
                                           QStringLiteral("查找关键字:Red第1个结果"),
                                           QStringLiteral("查找关键字:Red,已经是第一个,无法上一个")}));
}

TEST_F(SearchTest, SteppingWithoutHitsAsksForASearch)
{
    search.FindNextCmd_Click();
    search.FindUpCmd_Click();
    searchFor(QStringLiteral("nothing"));
    takeMessages();
    search.FindNextCmd_Click();
    search.FindUpCmd_Click();
    EXPECT_EQ(takeMessages(), QStringList(2, QStringLiteral("无查找结果,请先查找")));
    EXPECT_TRUE(selected().isEmpty());
}

TEST_F(SearchTest, ListChangeRepeatsTheStoredKeyword)
{
    searchFor(QStringLiteral("Red"));
    search.FindNextCmd_Click();
    takeMessages();

    list.removeAt(0); // as the delete command does, then it refreshes
    search.FindADLSub();
    EXPECT_EQ(takeMessages(), (QStringList{QStringLiteral("已下载列表发生变更,重新查询关键字:Red"),
                                           found(QStringLiteral("3|Red hat|D:\\o\\3|c")), total(QStringLiteral("Red"), 1)}));
    EXPECT_EQ(search.ucolFindIndex(), QStringList{QStringLiteral("1")});
    EXPECT_EQ(search.ulngCurFindIndex(), 1);
    EXPECT_EQ(selected(), QList<int>{1});
    EXPECT_FALSE(search.isFindStrTextVisible());
}

TEST_F(SearchTest, NoRepeatWithoutAStoredKeyword)
{
    list.setSelected(2, true);
    QSignalSpy visible(&search, &DownloadedSearch::findStrTextVisibleChanged);
    search.FindADLSub();
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_EQ(selected(), QList<int>{2});
    EXPECT_TRUE(search.ucolFindIndex().isEmpty());
    EXPECT_EQ(visible.count(), 0);
}

TEST_F(SearchTest, RefreshWhileTheBoxIsOpenSearchesForItsTextButNeverForTheHint)
{
    searchFor(QStringLiteral("Red"));
    takeMessages();
    search.FindADLCmd_Click(); // opened, still showing the hint
    ASSERT_TRUE(search.isFindStrTextVisible());
    search.FindADLSub();
    EXPECT_EQ(search.ustrFindStr(), QStringLiteral("Red"));
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_FALSE(search.isFindStrTextVisible());

    search.FindADLCmd_Click();
    search.setFindStrText(QStringLiteral("hat"));
    list.removeAt(0);
    search.FindADLSub();
    EXPECT_EQ(search.ustrFindStr(), QStringLiteral("hat"));
    EXPECT_EQ(search.ucolFindIndex(), QStringList{QStringLiteral("1")});
    EXPECT_FALSE(search.isFindStrTextVisible());
}

TEST_F(SearchTest, PressingSearchTwiceStoresNoKeyword)
{
    search.FindADLCmd_Click();
    search.FindADLCmd_Click();
    EXPECT_TRUE(search.ustrFindStr().isEmpty());
    list.append(QStringLiteral("4|Red cap|D:\\o\\4|d"));
    search.refreshHits();
    search.FindADLSub();
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_TRUE(selected().isEmpty());
}

TEST_F(SearchTest, AnUnaskedRefreshFollowsTheListButKeepsTheSelectionAndTheTyping)
{
    const struct
    {
        const char *name;
        QList<int> userSelection;
        int currentHit; // where stepping goes on from
    } cases[] = {
        {"a hit selected", {2}, 2},
        {"no hit selected", {1}, 1},
        {"several", {0, 1, 2}, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        searchFor(QStringLiteral("Red"));
        for (int p = 0; p < list.count(); ++p)
            list.setSelected(p, c.userSelection.contains(p));
        search.FindADLCmd_Click();
        search.setFindStrText(QStringLiteral("ha")); // typing a new keyword
        list.append(QStringLiteral("4|Red hat|D:\\o\\4|d"));
        takeMessages();

        search.refreshHits();
        EXPECT_EQ(search.ucolFindIndex(), (QStringList{QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("3")}));
        EXPECT_EQ(selected(), c.userSelection);
        EXPECT_EQ(search.ulngCurFindIndex(), c.currentHit);
        EXPECT_TRUE(search.isFindStrTextVisible());
        EXPECT_EQ(search.FindStrText(), QStringLiteral("ha"));
        EXPECT_EQ(search.ustrFindStr(), QStringLiteral("Red"));
        EXPECT_EQ(takeMessages(),
                  (QStringList{QStringLiteral("已下载列表发生变更,重新查询关键字:Red"), found(list.at(0)), found(list.at(2)),
                               found(list.at(3)), total(QStringLiteral("Red"), 3)}));
        search.setFindStrTextVisible(false);
        list.removeAt(3);
    }
}

TEST_F(SearchTest, EmptyBoxClosesWithoutChangingTheSearch)
{
    searchFor(QStringLiteral("Red"));
    takeMessages();
    search.FindADLCmd_Click();
    search.FindStrText_MouseDown();
    EXPECT_TRUE(search.FindStrText().isEmpty());
    search.FindStrText_KeyPress(10); // other keys belong to the box
    EXPECT_TRUE(search.isFindStrTextVisible());

    search.FindStrText_KeyPress(13);
    EXPECT_FALSE(search.isFindStrTextVisible());
    EXPECT_EQ(search.FindStrText(), DownloadedSearch::hintText());
    EXPECT_TRUE(takeMessages().isEmpty());
    EXPECT_EQ(search.ustrFindStr(), QStringLiteral("Red"));
    EXPECT_EQ(search.ucolFindIndex(), (QStringList{QStringLiteral("0"), QStringLiteral("2")}));
    EXPECT_EQ(selected(), QList<int>{0});
}

TEST_F(SearchTest, SearchButtonTogglesTheBoxAndSearchesWhenOpen)
{
    QSignalSpy visible(&search, &DownloadedSearch::findStrTextVisibleChanged);
    QSignalSpy text(&search, &DownloadedSearch::findStrTextChanged);
    search.FindADLCmd_Click();
    ASSERT_EQ(visible.count(), 1);
    EXPECT_TRUE(visible.at(0).at(0).toBool());

    search.setFindStrText(QStringLiteral("hat"));
    search.FindADLCmd_Click();
    EXPECT_FALSE(search.isFindStrTextVisible());
    EXPECT_EQ(visible.count(), 2);
    EXPECT_EQ(search.ustrFindStr(), QStringLiteral("hat"));
    EXPECT_EQ(selected(), QList<int>{2});
    ASSERT_EQ(text.count(), 2);
    EXPECT_EQ(text.at(1).at(0).toString(), DownloadedSearch::hintText());
}
