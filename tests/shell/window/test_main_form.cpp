#include "window_fixture.h"
#include "qt_printers.h"

#include "collection/status_log.h"
#include "lists/item_number_edit.h"
#include "shell/window/batch/batch_panel.h"
#include "shell/window/log/status_log_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

namespace {

const QString Hint = ItemNumberEdit::hintText();

} // namespace

TEST_F(WindowTest, ControlsFollowTheLayoutArithmetic)
{
    open();
    form->resize(1200, 760);
    const WindowLayout::Twips &t = form->twips();
    const QWidget *client = form->centralWidget();
    const int W = t.fromPixels(client->width());
    const QRect browser = control<QWebEngineView>("WebBrowser1")->geometry();
    EXPECT_EQ(browser.x(), t.toPixels(3710));
    EXPECT_NEAR(browser.width(), t.toPixels(W - 3710), 1);
    EXPECT_EQ(control("PickWebBro")->geometry(), control("TabStrip1")->geometry());
    EXPECT_NEAR(control("urladress")->width(), t.toPixels(W - 4900), 1);
    EXPECT_NEAR(control("AutoModeChk")->x(), t.toPixels(W - 2075), 1);
    // The panel: three list columns of (PW - 3500) / 3 with the buttons between,
    // PW short of a right margin.
    const int C = WindowLayout::roundHalfEven(W - WindowLayout::PanelRightMargin - 3500, 3);
    EXPECT_NEAR(control("AddUrlText")->width(), t.toPixels(C), 1);
    EXPECT_NEAR(control("addUrlCmd")->x(), t.toPixels(C + 450), 1);
    EXPECT_NEAR(control("readyDownList")->x(), t.toPixels(C + 2200), 1);
    EXPECT_NEAR(control("AlreadyDownedList")->x(), t.toPixels(2 * C + 3700), 1);
    // The window gets no smaller than the arithmetic allows: the panel's
    // controls stay whole inside it.
    form->resize(180, 300);
    EXPECT_EQ(form->size(), form->minimumSize());
    EXPECT_TRUE(QRect(QPoint(), control("batModeFrame")->size()).contains(control("readyDownList")->geometry()));
}

TEST_F(WindowTest, ShowListTogglesThePanel)
{
    open();
    auto *show = control<QPushButton>("ShowListCmd");
    EXPECT_FALSE(control("batModeFrame")->isVisible());
    show->click();
    EXPECT_TRUE(control("batModeFrame")->isVisible());
    EXPECT_EQ(show->text(), S(u"隐藏&C"));
    EXPECT_EQ(show->toolTip(), S(u"ALT+C"));
    show->click();
    EXPECT_FALSE(control("batModeFrame")->isVisible());
    EXPECT_EQ(show->text(), S(u"查看&L"));
    EXPECT_EQ(show->toolTip(), S(u"ALT+L"));
    EXPECT_EQ(log(), (QStringList{S(u"显示下载列表"), S(u"隐藏下载列表")}));
}

TEST_F(WindowTest, ExitClosesTheWindowAndSavesTheLists)
{
    open();
    pending().append(QStringLiteral("E-1|http://detail.zorvane.com/offer/1.html"));
    auto *exit = form->findChild<QAction *>(QStringLiteral("exit"));
    ASSERT_TRUE(exit);
    EXPECT_EQ(exit->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
    QSignalSpy unloaded(form.get(), &MainForm::unloaded);
    exit->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(listData().contains(QStringLiteral("<readyDownList>\r\nE-1|http://detail.zorvane.com/offer/1.html\r\n")));
    // Saved: the program may end at once, and well.
    ASSERT_EQ(unloaded.count(), 1);
    EXPECT_EQ(unloaded.first().first().toInt(), 0);
    EXPECT_TRUE(desktop.prompts.messages.isEmpty());
}

TEST_F(WindowTest, AddingTypedLinesMovesThemToThePendingList)
{
    open();
    auto *box = control<QPlainTextEdit>("AddUrlText");
    // As pasted: the sample text first, then the four lines a|1, b, an empty line and c|2|x.
    EXPECT_TRUE(box->toPlainText().startsWith(S(u"宝贝url|自定义宝贝名（可选)\n")));
    box->setPlainText(box->toPlainText().section(u'\n', 0, 0) + S(u"\na|1\nb\n\nc|2|x"));
    click("addUrlCmd");
    EXPECT_EQ(pending().entries(), (QStringList{S(u"自定义宝贝名（可选)|宝贝url"), S(u"1|a"), S(u"null|b"), S(u"2|c")}));
    EXPECT_EQ(log(), (QStringList{S(u"添加<自定义宝贝名（可选)|宝贝url>到待下载列表"), S(u"添加<1|a>到待下载列表"),
                                  S(u"添加<null|b>到待下载列表"), S(u"添加<2|c>到待下载列表")}));
    EXPECT_TRUE(box->toPlainText().isEmpty());
    EXPECT_EQ(listData(), S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n自定义宝贝名（可选)|宝贝url\r\n1|a\r\nnull|b\r\n2|c\r\n"
                            u"<AlreadyDownedList>\r\n"));
}

TEST_F(WindowTest, AddingTheShownPageAsksForAName)
{
    open();
    auto *address = control<QComboBox>("urladress");
    address->setEditText(QStringLiteral("http://detail.zorvane.com/offer/9.html"));
    desktop.prompts.answers = {std::nullopt, S(u""), S(u"连衣裙")}; // cancelled, left empty, a name
    for (int press = 0; press < 3; ++press)
        click("AddToListCmd");
    ASSERT_EQ(desktop.prompts.questions.size(), 3);
    EXPECT_EQ(desktop.prompts.questions.first().prompt, S(u"给宝宝贝取个名字"));
    EXPECT_EQ(desktop.prompts.questions.first().title, S(u"宝贝名字"));
    EXPECT_EQ(desktop.prompts.questions.first().preset, S(u"宝贝N"));
    EXPECT_EQ(pending().entries(), (QStringList{S(u"宝贝N|http://detail.zorvane.com/offer/9.html"),
                                                S(u"宝贝N|http://detail.zorvane.com/offer/9.html"),
                                                S(u"连衣裙|http://detail.zorvane.com/offer/9.html")}));
    EXPECT_EQ(log().last(), S(u"连衣裙|http://detail.zorvane.com/offer/9.html已添加到宝贝列表!"));
    // No address: no question.
    address->setEditText(QString());
    click("AddToListCmd");
    EXPECT_EQ(desktop.prompts.questions.size(), 3);
    EXPECT_EQ(pending().count(), 3);
}

TEST_F(WindowTest, PendingListCommandsWalkTheSelection)
{
    open();
    for (const char *line : {"A", "B", "C", "D", "E"})
        pending().append(QLatin1String(line));
    select("readyDownList", {1, 3});
    click("InsertToTopCmd");
    EXPECT_EQ(pending().entries(), (QStringList{"B", "D", "A", "C", "E"}));
    EXPECT_EQ(pending().selectedCount(), 0);
    EXPECT_EQ(log(), (QStringList{S(u"置顶<B>"), S(u"置顶<D>")}));
    click("DelUrlCmd");
    EXPECT_EQ(log().last(), S(u"删除待下载信息失败,原因:未选择"));
    select("readyDownList", {0, 1});
    click("DelUrlCmd");
    EXPECT_EQ(pending().entries(), (QStringList{"A", "C", "E"}));
    EXPECT_TRUE(listData().contains(S(u"<readyDownList>\r\nA\r\nC\r\nE\r\n")));
}

TEST_F(WindowTest, DownloadedListCommands)
{
    open();
    downloaded().append(S(u"1|一|/o/1|a"));
    downloaded().append(S(u"2|二|/o/2|b"));
    downloaded().append(S(u"7|Title|D:\\out\\7|addr"));
    select("AlreadyDownedList", {0, 1});
    click("DelCmd");
    EXPECT_EQ(downloaded().entries(), QStringList{S(u"7|Title|D:\\out\\7|addr")});
    EXPECT_EQ(log(), (QStringList{S(u"删除已下载信息<1|一|/o/1|a>"), S(u"删除已下载信息<2|二|/o/2|b>")}));

    pending().append(QStringLiteral("x|y"));
    select("readyDownList", {0});
    select("AlreadyDownedList", {0});
    click("RePickCmd");
    EXPECT_TRUE(downloaded().entries().isEmpty());
    EXPECT_EQ(pending().entries(), (QStringList{"x|y", "7|addr|[重下]"}));
    // The moved item is selected in the pending list, and so is what was selected there.
    auto *view = control<QListView>("readyDownList");
    EXPECT_TRUE(view->selectionModel()->isRowSelected(0, {}));
    EXPECT_TRUE(view->selectionModel()->isRowSelected(1, {}));
    EXPECT_EQ(log().last(), S(u"重新采集<7|Title|D:\\out\\7|addr>"));
    for (const char *name : {"DelCmd", "RePickCmd", "OpenWebCmd"})
        click(name);
    EXPECT_EQ(log().mid(log().size() - 3),
              (QStringList{S(u"删除已下载列表失败,原因:未选择"), S(u"重新采集已下载列表失败,原因:未选择"),
                           S(u"打开宝贝网址失败,原因:未选择")}));
}

struct OpenCase
{
    const char *name;
    QString address;
    bool opened;
    QString lastLog;
};
ZORVANE_PRINT_AS_NAME(OpenCase)

class OpenWebTest : public WindowTest, public ::testing::WithParamInterface<OpenCase>
{
};

TEST_P(OpenWebTest, OnlyWebAddressesAreOpened)
{
    open();
    downloaded().append(S(u"1|t|/o/1|") + GetParam().address);
    select("AlreadyDownedList", {0});
    click("OpenWebCmd");
    EXPECT_EQ(desktop.opener.opened, GetParam().opened ? QStringList{GetParam().address} : QStringList{});
    EXPECT_EQ(log().last(), GetParam().lastLog);
    EXPECT_EQ(downloaded().count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, OpenWebTest,
    ::testing::Values(
        OpenCase{"Http", S(u"http://detail.zorvane.com/offer/1.html"), true,
                 S(u"成功打开宝贝网址<http://detail.zorvane.com/offer/1.html>")},
        OpenCase{"Https", S(u"https://detail.zorvane.com/offer/1.html"), true,
                 S(u"成功打开宝贝网址<https://detail.zorvane.com/offer/1.html>")},
        OpenCase{"File", S(u"file:///etc/passwd"), false,
                 S(u"拒绝打开宝贝网址<file:///etc/passwd>,原因:只能打开http或https开头的网址")},
        OpenCase{"CommandLine", S(u"xterm -e rm"), false,
                 S(u"拒绝打开宝贝网址<xterm -e rm>,原因:只能打开http或https开头的网址")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(WindowTest, DoubleClickOpensOnlyAFolderThatExists)
{
    open();
    const QString there = folder.path();
    downloaded().append(S(u"1|t|") + there + S(u"|a"));
    downloaded().append(S(u"2|t|/no/such/folder|b"));
    auto *view = control<QListView>("AlreadyDownedList");
    emit view->doubleClicked(view->model()->index(0, 0));
    emit view->doubleClicked(view->model()->index(1, 0));
    EXPECT_EQ(desktop.opener.opened, QStringList{there});
    EXPECT_EQ(log(), (QStringList{S(u"打开目录:") + there, S(u"打开目录失败,原因:目录不存在:/no/such/folder")}));
}

TEST_F(WindowTest, ShortDownloadedLinesAreLeftAsTheyAre)
{
    open();
    downloaded().append(S(u"5|只有标题"));
    auto *view = control<QListView>("AlreadyDownedList");
    emit view->doubleClicked(view->model()->index(0, 0));
    for (const char *name : {"RePickCmd", "OpenWebCmd"}) {
        select("AlreadyDownedList", {0});
        click(name);
    }
    click("EditBabyNumCmd");
    control<QLineEdit>("NewBabyNumText")->setText(QStringLiteral("N1"));
    emit control<QLineEdit>("NewBabyNumText")->textEdited(QStringLiteral("N1"));
    click("EditBabyNumCmd");
    EXPECT_EQ(downloaded().entries(), QStringList{S(u"5|只有标题")});
    EXPECT_TRUE(pending().entries().isEmpty());
    EXPECT_TRUE(desktop.opener.opened.isEmpty());
    const QStringList lines = log();
    EXPECT_TRUE(lines.contains(S(u"打开目录失败<5|只有标题>,原因:该行没有宝贝目录")));
    EXPECT_TRUE(lines.contains(S(u"重新采集<5|只有标题>失败,原因:该行没有宝贝网址")));
    EXPECT_TRUE(lines.contains(S(u"打开宝贝网址失败<5|只有标题>,原因:该行没有宝贝网址")));
    EXPECT_TRUE(lines.contains(S(u"修改宝贝货号失败<5|只有标题>,原因:该行字段不全")));
}

TEST_F(WindowTest, NewItemNumbersAreNumberedThroughTheSelection)
{
    open();
    form->ShowListCmd_Click();
    for (const char *line : {"1|a|/o/1|u1", "2|b|/o/2|u2", "3|c|/o/3|u3", "4|d|/o/4|u4"})
        downloaded().append(QString::fromUtf8(line));
    select("AlreadyDownedList", {0, 2, 3});
    auto *button = control<QPushButton>("EditBabyNumCmd");
    auto *box = control<QLineEdit>("NewBabyNumText");
    EXPECT_FALSE(box->isVisible());
    button->click();
    EXPECT_EQ(button->text(), S(u"确定修改"));
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), Hint);
    // The hint makes way when the box gets the focus; typed text stays.
    box->setFocus();
    ASSERT_TRUE(waitUntil([&] { return box->hasFocus(); }, 5000));
    EXPECT_TRUE(box->text().isEmpty());
    QTest::keyClicks(box, QStringLiteral("A12"));
    box->clearFocus();
    box->setFocus();
    EXPECT_EQ(box->text(), QStringLiteral("A12"));
    button->click();
    EXPECT_EQ(downloaded().entries(), (QStringList{"A12_1|a|/o/1|u1", "2|b|/o/2|u2", "A12_2|c|/o/3|u3",
                                                   "A12_3|d|/o/4|u4"}));
    EXPECT_EQ(button->text(), S(u"修改货号"));
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->text(), Hint);
    EXPECT_EQ(log().mid(log().size() - 3), (QStringList{S(u"修改宝贝货号1至A12_1"), S(u"修改宝贝货号3至A12_2"),
                                                        S(u"修改宝贝货号4至A12_3")}));
}

TEST_F(WindowTest, PressingIntoTheShopAndSearchBoxesEmptiesThem)
{
    open();
    form->ShowListCmd_Click();
    click("ASBabyUrlAlaCmd");
    click("FindADLCmd");
    for (const char *name : {"ShopUrlText", "FindStrText"}) {
        auto *box = control<QLineEdit>(name);
        ASSERT_TRUE(box->isVisible()) << name;
        EXPECT_FALSE(box->text().isEmpty());
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_TRUE(box->text().isEmpty()) << name;
    }
    // Typed into the shop box: the model has it; Enter with nothing typed says so.
    auto *shop = control<QLineEdit>("ShopUrlText");
    QTest::keyClick(shop, Qt::Key_Return);
    EXPECT_EQ(log().last(), S(u"请输入店铺URL,回车开始采集"));
    EXPECT_FALSE(shop->isVisible());
    EXPECT_EQ(shop->text(), S(u"输入店铺地址,回车开始"));
}

TEST_F(WindowTest, HoverShowsTheEntryUnderThePointer)
{
    open();
    form->ShowListCmd_Click();
    for (const char *line : {"1|first", "2|second", "3|third"})
        pending().append(QString::fromUtf8(line));
    auto *view = control<QListView>("readyDownList");
    auto *info = control<QPlainTextEdit>("listInfoText");
    const auto hoverRow = [&](double row) {
        const int y = int(row * view->sizeHintForRow(0));
        QMouseEvent move(QEvent::MouseMove, QPointF(20, y), view->viewport()->mapToGlobal(QPointF(20, y)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
    };
    EXPECT_FALSE(info->isVisible());
    hoverRow(1.2);
    EXPECT_TRUE(info->isVisible());
    EXPECT_EQ(info->toPlainText(), QStringLiteral("2|second"));
    hoverRow(1.8);
    EXPECT_EQ(info->toPlainText(), QStringLiteral("2|second"));
    hoverRow(3.2); // just past the last entry: an empty box
    EXPECT_TRUE(info->toPlainText().isEmpty());
    hoverRow(0.4);
    EXPECT_EQ(info->toPlainText(), QStringLiteral("1|first"));
    hoverRow(4.9); // further down, over the list's blank part, the box goes
    EXPECT_FALSE(info->isVisible());
    hoverRow(0.4);
    // Over the panel's background the box goes.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(control("batModeFrame"), &move);
    EXPECT_FALSE(info->isVisible());
}

TEST(StatusLogView, NewestOnTopAndTheOldestGoPastTheCap)
{
    StatusLog log(5);
    StatusLogView view(log);
    for (int i = 1; i <= 7; ++i)
        log.AddMesg(QString::number(i));
    const QStringList lines = view.toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral(" 7")));
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(" 3")));
    EXPECT_EQ(log.text().count(QStringLiteral("\r\n")), 5);
}
