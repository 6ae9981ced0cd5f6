// The window keeps what the user chose and what the user has: the selection
// and scroll position of the lists, and the auto-mode box.
#include "late_net_check.h"
#include "window_fixture.h"

#include "lists/downloaded_search.h"

#include <QCheckBox>
#include <QScrollBar>

#include <algorithm>

namespace {

// A window whose reachability check answers when the test says so.
class LateCheckWindowTest : public WindowTest
{
protected:
    LateCheckWindowTest() { netCheck = &late; }
    ~LateCheckWindowTest() override
    {
        form.reset();
        core.reset();
    }

    LateNetCheck late;
};

QList<int> selectedRows(const QListView *view)
{
    QList<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

TEST_F(LateCheckWindowTest, TheAutoModeBoxIsReadAgainWhenTheStartUpCheckAnswers)
{
    const struct
    {
        const char *name;
        QList<bool> clicks; // on the box while the check runs
        bool started;
    } cases[] = {
        {"left ticked", {}, true},
        {"unticked", {false}, false},
        {"unticked and ticked again", {false, true}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeConfig(QString()); // auto mode on
        open(true);
        ASSERT_EQ(late.waiting(), 1);
        for (bool ticked : c.clicks)
            control<QCheckBox>("AutoModeChk")->setChecked(ticked);
        // Each answer lets the next check (the start's own) run; a start asks one more time.
        for (int round = 0; round < 3 && late.waiting() > 0; ++round)
            late.answer(true);
        EXPECT_EQ(core->batch().isControllerOn(), c.started);
        form.reset();
        core.reset();
    }
}

TEST_F(LateCheckWindowTest, PauseWhileTheStartsCheckRunsKeepsTheBatchStopped)
{
    open();
    click("StartPickCmd");
    ASSERT_EQ(late.waiting(), 1);
    click("StopPickCmd");
    late.answer(true);
    EXPECT_FALSE(core->batch().isControllerOn());
    EXPECT_TRUE(control<QPushButton>("StartPickCmd")->isEnabled());
    EXPECT_EQ(log().last(), S(u"网络检测期间已按暂停,未启动采集"));

    // That pause is spent: the next start goes ahead.
    click("StartPickCmd");
    late.answer(true);
    EXPECT_TRUE(core->batch().isControllerOn());
    EXPECT_FALSE(control<QPushButton>("StartPickCmd")->isEnabled());
}

TEST_F(WindowTest, AnUnaskedSearchRefreshLeavesTheSelectionAndTheScrollPosition)
{
    open();
    form->ShowListCmd_Click();
    for (int i = 0; i < 300; ++i)
        downloaded().append(QStringLiteral("%1|Red %1|/o/%1|u%1").arg(i));
    DownloadedSearch &search = core->search();
    search.FindADLCmd_Click();
    search.setFindStrText(QStringLiteral("Red 2"));
    search.FindStrText_KeyPress(13);
    auto *view = control<QListView>("AlreadyDownedList");
    ASSERT_EQ(selectedRows(view), QList<int>{2});

    // The user scrolls down and picks an entry there.
    ASSERT_TRUE(waitUntil([&] { return view->verticalScrollBar()->maximum() > 0; }, 10000));
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
    const int scrolled = view->verticalScrollBar()->value();
    view->clearSelection();
    select("AlreadyDownedList", {150});
    // An item finishes meanwhile.
    downloaded().append(QStringLiteral("300|Red 300|/o/300|u300"));
    search.refreshHits();
    EXPECT_EQ(view->verticalScrollBar()->value(), scrolled);
    EXPECT_EQ(selectedRows(view), QList<int>{150});

    click("DelCmd");
    EXPECT_EQ(log().filter(S(u"删除已下载信息<")), QStringList{S(u"删除已下载信息<150|Red 150|/o/150|u150>")});
}
