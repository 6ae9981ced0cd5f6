// The list and item-number commands on the models, without a window or a browser.
#include "log_text.h"
#include "recording_desktop.h"

#include "collection/status_log.h"
#include "lists/downloaded_commands.h"
#include "lists/downloaded_search.h"
#include "lists/item_lines.h"
#include "lists/item_number_edit.h"
#include "lists/list_commands.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/files/text_file.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class CommandsTest : public ::testing::Test
{
protected:
    CommandsTest() { lists.setAddUrlText(QString()); }

    static void fill(ItemList &list, const QStringList &lines)
    {
        for (const QString &line : lines)
            list.append(line);
    }
    static void select(ItemList &list, const QList<int> &rows)
    {
        for (int row : rows)
            list.setSelected(row, true);
    }
    ItemList &pending() { return lists.readyDownList(); }
    ItemList &downloaded() { return lists.AlreadyDownedList(); }
    QString saved() const { return readLocalTextFile(file.path()).value_or(QString()); }
    // The log lines written since the last call, oldest first.
    QStringList takeLog()
    {
        const QStringList all = logMessages(log);
        const QStringList fresh = all.mid(seen);
        seen = int(all.size());
        return fresh;
    }
    // Types a number into the opened box and applies it.
    void renumber(const QString &typed)
    {
        numbers.EditBabyNumCmd_Click();
        numbers.NewBabyNumText_GotFocus();
        numbers.setNewBabyNumText(typed);
        numbers.EditBabyNumCmd_Click();
    }

    QTemporaryDir dir;
    ListStore lists;
    StatusLog log;
    ListFile file{lists, log, dir.filePath(QStringLiteral("listdata.txt"))};
    DownloadedSearch search{lists.AlreadyDownedList(), log};
    RecordingOpener opener;
    RecordingPrompts prompts;
    ListCommands commands{lists, file, log};
    DownloadedCommands downloadedCommands{lists, file, search, log, opener};
    ItemNumberEdit numbers{lists.AlreadyDownedList(), file, search, log};
    int seen = 0;
};

const QStringList FourItems{QStringLiteral("1|a|/o/1|u1"), QStringLiteral("2|b|/o/2|u2"), QStringLiteral("3|c|/o/3|u3"),
                            QStringLiteral("4|d|/o/4|u4")};

} // namespace

TEST_F(CommandsTest, NewNumbersAreNumberedThroughFromTwoSelectedEntriesOn)
{
    const struct
    {
        const char *name;
        QList<int> selected;
        QStringList numbers;
    } cases[] = {
        {"none", {}, {"1", "2", "3", "4"}},
        {"one", {2}, {"1", "2", "N", "4"}},
        {"exactly two", {1, 3}, {"1", "N_1", "3", "N_2"}},
        {"three", {0, 1, 3}, {"N_1", "N_2", "3", "N_3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        downloaded().clear();
        fill(downloaded(), FourItems);
        select(downloaded(), c.selected);
        renumber(QStringLiteral("N"));
        QStringList numbers;
        for (const QString &line : downloaded().entries())
            numbers << DownloadedLine::parse(line).itemNo;
        EXPECT_EQ(numbers, c.numbers);
    }
}

TEST_F(CommandsTest, ATypedNumberKeepsTheFieldsOfItsLine)
{
    const struct
    {
        const char *name;
        QString typed;
        QString stored;
    } cases[] = {
        {"bar", QStringLiteral("X|Y"), QStringLiteral("X｜Y")},
        {"line break and tab", QStringLiteral("A\r\nB\tC"), QStringLiteral("A B C")},
        {"plain", QStringLiteral("货号 A-1"), QStringLiteral("货号 A-1")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        downloaded().clear();
        pending().clear();
        fill(downloaded(), {QStringLiteral("5|Title|/out/5|http://d/5.html")});
        select(downloaded(), {0});
        renumber(c.typed);
        EXPECT_EQ(downloaded().at(0), c.stored + QStringLiteral("|Title|/out/5|http://d/5.html"));
        EXPECT_EQ(takeLog().last(), QStringLiteral("修改宝贝货号5至") + c.stored);

        // Saved, read back after a restart and collected again: the item's own address is queued.
        ListStore restarted;
        ListFile reread(restarted, log, file.path());
        ASSERT_TRUE(reread.LoadLists());
        DownloadedSearch rereadSearch(restarted.AlreadyDownedList(), log);
        DownloadedCommands again(restarted, reread, rereadSearch, log, opener);
        restarted.AlreadyDownedList().setSelected(0, true);
        again.RePickCmd_Click();
        ASSERT_EQ(restarted.readyDownList().count(), 1);
        const PendingLine queued = PendingLine::parse(restarted.readyDownList().at(0));
        EXPECT_EQ(queued.itemNo, c.stored);
        EXPECT_EQ(queued.address, QStringLiteral("http://d/5.html"));
    }
}

TEST_F(CommandsTest, OpeningTheNumberBoxWithAStoredKeywordKeepsTheEntriesTheUserSelected)
{
    fill(downloaded(), FourItems);
    search.FindADLCmd_Click();
    search.setFindStrText(QStringLiteral("|a|"));
    search.FindStrText_KeyPress(13);
    ASSERT_TRUE(downloaded().isSelected(0)) << "the search selected its hit";
    downloaded().setSelected(0, false);
    select(downloaded(), {2, 3});
    renumber(QStringLiteral("N"));
    EXPECT_EQ(downloaded().entries(), (QStringList{"1|a|/o/1|u1", "2|b|/o/2|u2", "N_1|c|/o/3|u3", "N_2|d|/o/4|u4"}));
}

TEST_F(CommandsTest, TheNumberBoxOpensAndClosesWithoutChangesForNothingTyped)
{
    fill(downloaded(), FourItems);
    select(downloaded(), {1});
    numbers.EditBabyNumCmd_Click();
    EXPECT_TRUE(numbers.isBoxVisible());
    EXPECT_EQ(numbers.caption(), QStringLiteral("确定修改"));
    EXPECT_TRUE(saved().contains(QStringLiteral("<AlreadyDownedList>\r\n1|a|/o/1|u1\r\n"))) << "opening saves";
    numbers.EditBabyNumCmd_Click(); // the hint is still in the box
    EXPECT_FALSE(numbers.isBoxVisible());
    EXPECT_EQ(numbers.caption(), QStringLiteral("修改货号"));
    numbers.EditBabyNumCmd_Click();
    numbers.NewBabyNumText_GotFocus();
    EXPECT_TRUE(numbers.NewBabyNumText().isEmpty());
    numbers.EditBabyNumCmd_Click();
    EXPECT_EQ(downloaded().entries(), FourItems);
    EXPECT_EQ(takeLog(), QStringList(4, QStringLiteral("请先选中要修改的宝贝,然后输入新货号,最后确定修改")));
}

TEST_F(CommandsTest, TheAddedPageIsNamedByTheAnswer)
{
    const QString address = QStringLiteral("http://detail.zorvane.com/offer/9.html");
    const struct
    {
        const char *name;
        std::optional<QString> answer;
        QString itemNo;
    } cases[] = {
        {"cancelled", std::nullopt, QStringLiteral("宝贝N")},
        {"left empty", QString(), QStringLiteral("宝贝N")},
        {"a name", QStringLiteral("连衣裙"), QStringLiteral("连衣裙")},
        {"a bar", QStringLiteral("红|蓝"), QStringLiteral("红｜蓝")},
        {"a line break", QStringLiteral("红\n蓝"), QStringLiteral("红 蓝")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        pending().clear();
        prompts.answers = {c.answer};
        commands.AddToListCmd_Click(address, prompts);
        ASSERT_EQ(pending().count(), 1);
        EXPECT_EQ(pending().at(0), c.itemNo + QLatin1Char('|') + address);
        EXPECT_EQ(takeLog(), QStringList{c.itemNo + QLatin1Char('|') + address + QStringLiteral("已添加到宝贝列表!")});
        ListStore restarted;
        ASSERT_TRUE(ListFile(restarted, log, file.path()).LoadLists());
        EXPECT_EQ(PendingLine::parse(restarted.readyDownList().at(0)).address, address);
    }
    const RecordingPrompts::Question asked = prompts.questions.first();
    EXPECT_EQ(asked.prompt, QStringLiteral("给宝宝贝取个名字"));
    EXPECT_EQ(asked.title, QStringLiteral("宝贝名字"));
    EXPECT_EQ(asked.preset, QStringLiteral("宝贝N"));
    commands.AddToListCmd_Click(QString(), prompts);
    EXPECT_EQ(prompts.questions.size(), qsizetype(std::size(cases))) << "no address: no question";
}

TEST_F(CommandsTest, PendingCommandsWalkTheSelectionAndSave)
{
    lists.setAddUrlText(QStringLiteral("a|1\r\nb\r\n\r\nc|2|x"));
    commands.addUrlCmd_Click();
    EXPECT_EQ(pending().entries(), (QStringList{"1|a", "null|b", "2|c"}));
    EXPECT_TRUE(lists.AddUrlText().isEmpty());
    pending().append(QStringLiteral("D"));
    pending().append(QStringLiteral("E"));
    takeLog();

    select(pending(), {1, 3});
    commands.InsertToTopCmd_Click();
    EXPECT_EQ(pending().entries(), (QStringList{"null|b", "D", "1|a", "2|c", "E"}));
    EXPECT_EQ(pending().selectedCount(), 0);
    commands.InsertToTopCmd_Click(); // nothing selected: nothing happens
    select(pending(), {0, 1}); // the second entry moves into the first position and is still found
    commands.DelUrlCmd_Click();
    EXPECT_EQ(pending().entries(), (QStringList{"1|a", "2|c", "E"}));
    EXPECT_TRUE(saved().contains(QStringLiteral("<readyDownList>\r\n1|a\r\n2|c\r\nE\r\n<AlreadyDownedList>")));
    commands.DelUrlCmd_Click();
    EXPECT_EQ(takeLog(), (QStringList{"置顶<null|b>", "置顶<D>", "删除<null|b>", "删除<D>",
                                      "删除待下载信息失败,原因:未选择"}));
}

TEST_F(CommandsTest, DownloadedCommandsWalkTheSelection)
{
    fill(downloaded(), FourItems);
    pending().append(QStringLiteral("x|y"));
    select(pending(), {0});
    select(downloaded(), {0, 1});
    downloadedCommands.DelCmd_Click();
    EXPECT_EQ(downloaded().entries(), FourItems.mid(2));
    select(downloaded(), {0, 1});
    downloadedCommands.RePickCmd_Click();
    EXPECT_TRUE(downloaded().entries().isEmpty());
    // Marked as sent back on purpose, in a field readers of fields 0 and 1 pass over.
    EXPECT_EQ(pending().entries(), (QStringList{"x|y", "3|u3|[重下]", "4|u4|[重下]"}));
    EXPECT_EQ(pending().selectedCount(), 3) << "moved items join what was selected";
    EXPECT_TRUE(saved().contains(QStringLiteral("<readyDownList>\r\nx|y\r\n3|u3|[重下]\r\n4|u4|[重下]\r\n<AlreadyDownedList>\r\n")));
    EXPECT_EQ(takeLog(), (QStringList{"删除已下载信息<1|a|/o/1|u1>", "删除已下载信息<2|b|/o/2|u2>",
                                      "重新采集<3|c|/o/3|u3>", "重新采集<4|d|/o/4|u4>"}));
    downloadedCommands.DelCmd_Click();
    downloadedCommands.RePickCmd_Click();
    downloadedCommands.OpenWebCmd_Click();
    EXPECT_EQ(takeLog(), (QStringList{"删除已下载列表失败,原因:未选择", "重新采集已下载列表失败,原因:未选择",
                                      "打开宝贝网址失败,原因:未选择"}));
}

TEST_F(CommandsTest, OnlyWebAddressesAndExistingFoldersAreOpened)
{
    fill(downloaded(), {QStringLiteral("1|t|") + dir.path() + QStringLiteral("|https://d/1.html"),
                        QStringLiteral("2|t|/no/such/folder|file:///etc/passwd"), QStringLiteral("3|只有标题")});
    select(downloaded(), {0, 1, 2});
    downloadedCommands.OpenWebCmd_Click();
    for (int row = 0; row < 3; ++row)
        downloadedCommands.AlreadyDownedList_DblClick(row);
    EXPECT_EQ(opener.opened, (QStringList{QStringLiteral("https://d/1.html"), dir.path()}));
    EXPECT_EQ(takeLog(),
              (QStringList{"即将打开宝贝网址<https://d/1.html>", "成功打开宝贝网址<https://d/1.html>",
                           "拒绝打开宝贝网址<file:///etc/passwd>,原因:只能打开http或https开头的网址",
                           "打开宝贝网址失败<3|只有标题>,原因:该行没有宝贝网址", "打开目录:" + dir.path(),
                           "打开目录失败,原因:目录不存在:/no/such/folder", "打开目录失败<3|只有标题>,原因:该行没有宝贝目录"}));
    EXPECT_EQ(downloaded().count(), 3);
}
