// The window keeps what the user chose and what the user has: the selection
// and scroll position of the lists.
#include "window_fixture.h"

#include "lists/downloaded_search.h"

#include <QScrollBar>

#include <algorithm>

namespace {

QList<int> selectedRows(const QListView *view)
{
    QList<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

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
