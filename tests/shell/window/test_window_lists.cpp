// The window keeps what the user chose and what the user has: the selection
// and scroll position of the lists, the auto-mode box, the hover box, and the
// lists themselves when they cannot be saved at closing.
#include "late_net_check.h"
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"

#include "lists/downloaded_search.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardPaths>

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

// As the demo opens: auto mode on, and 整店采集 begun before the start-up
// check answers. The walk pauses the batch and starts it as it ends, so the
// start-up leaves the start to it: 启动采集 is logged once.
TEST_F(LateCheckWindowTest, AShopWalkUnderWayWhenTheStartUpCheckAnswersStartsTheBatchAlone)
{
    servePage(sharedServer(), shopOfferListAddress(S(u"lateshop"), 1), shopOfferListHtml({S(u"第1页"), {detailPageAddress(761)}}));
    servePage(sharedServer(), shopOfferListAddress(S(u"lateshop"), 2), shopOfferListHtml({S(u"第2页"), {}}));
    open(true); // auto mode on
    ASSERT_EQ(late.waiting(), 1);
    core->shop().setShopUrlText(S(u"http://lateshop.zorvane.com"));
    core->shop().AllShopBabyUrlAla();
    late.answer(true);
    // Every check asked for from now on is answered, until the walk has ended.
    ASSERT_TRUE(waitUntil([&] {
        late.answer(true);
        return !core->shop().isRunning();
    }, 60000));
    EXPECT_TRUE(core->batch().isControllerOn());
    EXPECT_EQ(log().count(S(u"启动采集,一旦检测到待下载列表有宝贝,将自行采集下载并启动列表旁的状态闪烁指示灯.")), 1)
        << log().join(u'\n').toStdString();
    click("StopPickCmd");
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

TEST_F(WindowTest, TheHoverBoxFitsItsTextAndGoesWithThePointerOrAChange)
{
    open();
    form->ShowListCmd_Click();
    pending().append(QStringLiteral("1|short"));
    pending().append(QStringLiteral("2|http://detail.zorvane.com/offer/") + QString(120, u'7') + QStringLiteral(".html"));
    pending().append(QStringLiteral("3|third"));
    auto *view = control<QListView>("readyDownList");
    auto *info = control<QPlainTextEdit>("listInfoText");
    const auto hoverRow = [&](double row) {
        const QPointF at(20, row * view->sizeHintForRow(0));
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
        QCoreApplication::processEvents(); // the box lays its text out
    };
    const WindowLayout::Twips &t = form->twips();
    const int lineHeight = info->fontMetrics().lineSpacing();
    for (double row : {0.5, 1.5}) {
        SCOPED_TRACE(row);
        hoverRow(row);
        ASSERT_TRUE(info->isVisible());
        EXPECT_EQ(info->verticalScrollBar()->maximum(), 0) << "the whole text shows";
        EXPECT_LE(info->width(), t.toPixels(3600));
        EXPECT_LT(info->height(), t.toPixels(2600));
    }
    EXPECT_GT(info->height(), 2 * lineHeight) << "the long entry takes several lines";
    hoverRow(0.5);
    EXPECT_LT(info->height(), 3 * lineHeight) << "a short entry one";
    EXPECT_LT(info->width(), t.toPixels(3600));

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(view->viewport(), &leave);
    EXPECT_FALSE(info->isVisible());

    // The list changes under the pointer: what the box showed may be gone.
    hoverRow(2.5);
    select("readyDownList", {2});
    click("InsertToTopCmd");
    EXPECT_FALSE(info->isVisible());
    downloaded().append(QStringLiteral("1|t|/o/1|u"));
    hoverRow(0.5);
    downloaded().replace(0, QStringLiteral("N|t|/o/1|u"));
    EXPECT_FALSE(info->isVisible());
}

TEST_F(WindowTest, ListsThatCannotBeSavedAtClosingAreCopiedAndToldOfBeforeTheProgramEnds)
{
    open();
    click("StartPickCmd"); // collecting, with nothing to collect yet
    ASSERT_TRUE(waitUntil([&] { return core->batch().isControllerOn(); }, 10000));
    core->lists().setAddUrlText(QStringLiteral("http://detail.zorvane.com/offer/1.html|E-1"));
    const QString listFile = core->listFile().path();
    QFile::remove(listFile);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("listdata.txt"))); // the save cannot replace it
    QList<int> statuses;
    qsizetype messagesBefore = -1;
    QObject::connect(form.get(), &MainForm::unloaded, [&](int status) {
        statuses << status;
        messagesBefore = desktop.prompts.messages.size();
    });
    form->close();
    ASSERT_EQ(statuses, QList<int>{MainForm::ListsNotSavedStatus});
    EXPECT_NE(MainForm::ListsNotSavedStatus, 0);
    EXPECT_EQ(messagesBefore, 1) << "the message comes before the program may end";
    EXPECT_FALSE(core->batch().isControllerOn()) << "nothing is collected while the message is read";

    const QStringList copies = QDir(folder.path()).entryList({QStringLiteral("listdata-*.txt")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    const QString copy = QDir(folder.path()).filePath(copies.first());
    EXPECT_TRUE(readLocalTextFile(copy)->startsWith(S(u"<AddUrlText>\r\nhttp://detail.zorvane.com/offer/1.html|E-1\r\n")));
    ASSERT_EQ(desktop.prompts.messages.size(), 1);
    const RecordingPrompts::Message &told = desktop.prompts.messages.first();
    EXPECT_EQ(told.icon, Prompts::Icon::Critical);
    EXPECT_EQ(told.title, S(u"保存列表失败"));
    EXPECT_FALSE(core->listFile().lastError().isEmpty());
    for (const QString &named : {listFile, core->listFile().lastError(), copy})
        EXPECT_TRUE(told.text.contains(named)) << named.toStdString();
}

TEST(ProgramCore, ListsAreRescuedBesideTheirFileOrElseInTheOtherFolder)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file"));
    writeLocalTextFile(file, QStringLiteral("x"));
    const QString writable = dir.filePath(QStringLiteral("writable")), other = dir.filePath(QStringLiteral("other"));
    QDir().mkpath(writable);
    const struct
    {
        const char *name;
        QString programFolder;
        QString otherFolder;
        QString copiedTo; // empty: nowhere
    } cases[] = {
        {"beside", writable, other, writable},
        {"program folder takes nothing", file + QStringLiteral("/sub"), other, other},
        {"nowhere", file + QStringLiteral("/sub"), file + QStringLiteral("/other"), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ProgramCore::Options options;
        options.programFolder = c.programFolder;
        ProgramCore core(options);
        core.lists().readyDownList().append(QStringLiteral("R-1|http://d/1.html"));
        const std::optional<QString> copy = core.rescueLists(c.otherFolder);
        ASSERT_EQ(copy.has_value(), !c.copiedTo.isEmpty());
        if (!copy)
            continue;
        EXPECT_EQ(QFileInfo(*copy).path(), c.copiedTo);
        EXPECT_TRUE(QFileInfo(*copy).fileName().startsWith(QStringLiteral("listdata-")));
        EXPECT_TRUE(readLocalTextFile(*copy)->contains(QStringLiteral("\r\nR-1|http://d/1.html\r\n")));
        EXPECT_EQ(logMessages(core.log()).last(), S(u"列表已另存为:") + *copy);
        QFile::remove(*copy);
    }
}
