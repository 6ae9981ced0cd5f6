// The window as the keyboard and the toolbar reach it: keys typed into the
// address bar, the shortcuts, "粘贴" and "复制".
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"

#include "lists/list_commands.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <functional>

namespace {

const QString Page = QStringLiteral("http://www.zorvane.com/keys/page.html");
const QString Words = S(u"可以复制的文字");

class KeysTest : public WindowTest
{
protected:
    KeysTest()
    {
        servePage(sharedServer(), Page,
                  plainPageHtml(S(u"键盘"), S(u"<p id=\"words\">") + Words + S(u"</p><input id=\"box\">")));
    }
    void openActive()
    {
        open();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QLineEdit *addressLine() const { return addressBar()->lineEdit(); }
    // Types the text into the address bar as the user does: the old text selected away first.
    void typeAddress(const QString &text) const
    {
        addressLine()->setFocus();
        QTest::keyClick(addressLine(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(addressLine(), Qt::Key_Backspace);
        QTest::keyClicks(addressLine(), text);
    }
    // Enter in the address bar, and the address the tab then loads.
    QUrl pressEnter() const
    {
        QSignalSpy finished(current(), &QWebEngineView::loadFinished);
        QTest::keyClick(addressLine(), Qt::Key_Return);
        return finished.wait(30000) ? current()->url() : QUrl();
    }
    void clickToolbar(int position) const
    {
        auto *bar = control<QToolBar>("Toolbar1");
        QTest::mouseClick(bar->widgetForAction(bar->actions().at(position - 1)), Qt::LeftButton);
    }
    QString pageValue(const QString &script) const
    {
        return runScript(current(), script).toString();
    }
    static QVariant runScript(QWebEngineView *view, const QString &script)
    {
        auto answer = std::make_shared<QVariant>();
        auto done = std::make_shared<bool>(false);
        view->page()->runJavaScript(script, [answer, done](const QVariant &v) {
            *answer = v;
            *done = true;
        });
        waitUntil([&] { return *done; });
        return *answer;
    }
};

} // namespace

TEST_F(KeysTest, EnterOpensExactlyTheTypedTextNotALongerOneFromTheHistory)
{
    const QString longer = Page + QStringLiteral("?from=history");
    openActive();
    typeAddress(longer);
    ASSERT_EQ(pressEnter(), QUrl(longer));

    typeAddress(Page);
    EXPECT_EQ(addressLine()->text(), Page) << "nothing filled in while typing";
    EXPECT_EQ(pressEnter(), QUrl(Page));
    EXPECT_EQ(addressBar()->currentText(), Page);
    QStringList history;
    for (int i = 0; i < addressBar()->count(); ++i)
        history << addressBar()->itemText(i);
    EXPECT_EQ(history, (QStringList{longer, Page})) << "both stay in the drop-down";
}

TEST_F(KeysTest, ShortcutsAndTheEditButtonsDoWhatTheySay)
{
    openActive();
    auto *show = control<QPushButton>("ShowListCmd");
    auto *panel = control<QWidget>("batModeFrame");
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers) {
        // To whatever has the focus: the shortcuts belong to the whole window.
        return [k, modifiers] { QTest::keyClick(QApplication::focusWidget(), k, modifiers); };
    };
    const QString pasted = S(u"粘贴的文字");
    const struct
    {
        const char *name;
        std::function<void()> before;
        std::function<void()> press;
        std::function<bool()> done; // waited for: a button's mnemonic clicks it a moment later
    } presses[] = {
        {"alt_a_adds_the_typed_address",
         [&] {
             desktop.prompts.answers = {S(u"连衣裙")};
             typeAddress(Page);
         },
         key(Qt::Key_A, Qt::AltModifier), [&] { return pending().entries() == QStringList{S(u"连衣裙|") + Page}; }},
        {"alt_l_shows_the_panel", {}, key(Qt::Key_L, Qt::AltModifier),
         [&] { return panel->isVisible() && show->text() == S(u"隐藏&C"); }},
        {"alt_c_hides_it", {}, key(Qt::Key_C, Qt::AltModifier),
         [&] { return !panel->isVisible() && show->text() == S(u"查看&L"); }},
        {"ctrl_n_starts_another_copy", {}, key(Qt::Key_N, Qt::ControlModifier),
         [&] { return desktop.starter.program == QCoreApplication::applicationFilePath(); }},
        {"ctrl_b_shows_the_version", {}, key(Qt::Key_B, Qt::ControlModifier),
         [&] { return desktop.prompts.messages.value(0).title == S(u"软件版本信息"); }},
        {"ctrl_h_shows_the_help", {}, key(Qt::Key_H, Qt::ControlModifier),
         [&] { return desktop.prompts.messages.value(1).title == S(u"使用帮助"); }},
        {"copy_takes_the_pages_selection",
         [&] {
             ASSERT_TRUE(loadIn(current(), Page));
             clipboard->setText(QStringLiteral("old"));
             runScript(current(), QStringLiteral(
                 "getSelection().selectAllChildren(document.getElementById('words')); 1"));
         },
         [&] { clickToolbar(2); }, [&] { return clipboard->text() == Words; }},
        {"paste_puts_the_clipboard_into_the_pages_box",
         [&] {
             clipboard->setText(pasted);
             runScript(current(), QStringLiteral("document.getElementById('box').focus(); 1"));
         },
         [&] { clickToolbar(1); },
         [&] { return pageValue(QStringLiteral("document.getElementById('box').value")) == pasted; }},
        {"ctrl_e_closes_the_window_and_saves_the_lists", {}, key(Qt::Key_E, Qt::ControlModifier),
         [&] { return !form->isVisible() && listData().contains(S(u"连衣裙|") + Page); }},
    };
    for (const auto &p : presses) {
        SCOPED_TRACE(p.name);
        if (p.before)
            p.before();
        ASSERT_FALSE(p.done()) << "done before the press";
        ASSERT_TRUE(QApplication::focusWidget());
        p.press();
        EXPECT_TRUE(waitUntil(p.done));
    }
    EXPECT_EQ(desktop.prompts.messages.size(), 2);
}

// Tab walks what is in view in reading order, round and round, and every stop
// shows that it has the focus; the add box lets Tab and Ctrl+Tab go. Enter on
// an entry opens its folder; what is typed right after a click on 整店采集 goes
// into its box.
TEST_F(KeysTest, TabWalksThePanelInReadingOrderShowingTheFocusAndKeysReachTheirControls)
{
    openActive();
    form->resize(1024, 640);
    downloaded().append(S(u"D-1|宝贝|") + folder.path() + S(u"|http://detail.zorvane.com/offer/1.html"));
    form->ShowListCmd_Click();
    const QString added = control<QPlainTextEdit>("AddUrlText")->toPlainText();
    const QStringList order = QStringLiteral(
        "goback GoForward urladress AddToListCmd ShowListCmd AutoModeChk AddUrlText addUrlCmd DelUrlCmd StartPickCmd "
        "StopPickCmd InsertToTopCmd FastPickChk SkipDownloadedChk CollectorsBox WatchShopsCmd readyDownList ASBabyUrlAlaCmd DelCmd RePickCmd "
        "SetSavePathCmd OpenSavePathCmd EditBabyNumCmd OpenWebCmd PreviewCmd AlreadyDownedList FindADLCmd FindUpCmd "
        "FindNextCmd").split(u' ');
    const auto focused = [] {
        const QWidget *w = QApplication::focusWidget();
        return w->objectName().isEmpty() ? w->parentWidget()->objectName() : w->objectName();
    };
    // The stop and its surroundings as the window shows them.
    const auto look = [&](const QString &name) {
        const QWidget *w = form->findChild<QWidget *>(name);
        return form->grab(QRect(w->mapTo(form.get(), QPoint()), w->size()).adjusted(-3, -3, 3, 3)).toImage();
    };
    control<QWidget>("GoForward")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QImage shown = look(order.first());
    for (qsizetype i = 1; i <= order.size(); ++i) {
        const QString stop = order.at(i % order.size()), left = order.at(i - 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, left == u"AddUrlText" ? Qt::ControlModifier : Qt::NoModifier);
        ASSERT_EQ(focused(), stop) << "after " << left.toStdString();
        EXPECT_NE(look(left), shown) << left.toStdString() << " showed no focus";
        shown = look(stop);
        if (stop == u"AlreadyDownedList")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    EXPECT_EQ(desktop.opener.opened, QStringList{folder.path()});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), order.last());
    EXPECT_EQ(control<QPlainTextEdit>("AddUrlText")->toPlainText(), added) << "no tab typed into the box";

    QTest::mouseClick(control<QPushButton>("ASBabyUrlAlaCmd"), Qt::LeftButton);
    QTest::keyClicks(QApplication::focusWidget(), S(u"http://myshop.zorvane.com"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(log().contains(S(u"整店宝贝地址分析中...采集暂停片刻..."))) << log().join(u'\n').toStdString();
}

// As the demo opens: the panel shown over a loaded page. The keyboard is in
// no page, the first Tab goes to "<"; Alt+L from inside a page takes the
// keyboard out of the page the panel then covers.
TEST_F(KeysTest, TheKeyboardStartsOutsideThePagesAndTheFirstTabGoesToBack)
{
    writeConfig(S(u"isAuto=False\r\n"));
    open(true);
    form->ShowListCmd_Click();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ASSERT_TRUE(loadIn(current(), Page));
    const auto inPage = [] {
        for (const QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
            if (qobject_cast<const QWebEngineView *>(w))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_FALSE(inPage()) << QApplication::focusWidget()->metaObject()->className();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("goback"));

    form->ShowListCmd_Click(); // hidden: the page is in view
    ASSERT_TRUE(waitUntilDrawn(current()));
    current()->setFocus();
    ASSERT_TRUE(waitUntil(inPage));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
    ASSERT_TRUE(waitUntil([&] { return control<QWidget>("batModeFrame")->isVisible(); }));
    EXPECT_FALSE(inPage());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control<QWidget>("AutoModeChk")) << "on along the address row";
}

// Esc in 整店采集's, 查找's and 修改货号's box: the box goes with what was
// typed in it, the keyboard goes back to its button, and nothing is done
// with the text; opened again, the box is empty and takes only new typing.
TEST_F(KeysTest, EscClosesEachInlineBoxWithoutActingAndWithoutItsText)
{
    openActive();
    const QString entry = S(u"D-1|宝贝|") + folder.path() + S(u"|http://detail.zorvane.com/offer/1.html");
    downloaded().append(entry);
    downloaded().setSelected(0, true);
    form->ShowListCmd_Click();
    const struct
    {
        const char *button;
        const char *box;
        const char *label; // what the box is for, beside it
        QString typed;
    } boxes[] = {
        {"ASBabyUrlAlaCmd", "ShopUrlText", nullptr, S(u"http://myshop.zorvane.com")},
        {"FindADLCmd", "FindStrText", "FindStrLbl", S(u"D-1")},
        {"EditBabyNumCmd", "NewBabyNumText", "NewBabyNumLbl", S(u"N-9")},
    };
    for (const auto &b : boxes) {
        SCOPED_TRACE(b.box);
        auto *box = control<QLineEdit>(b.box);
        QTest::mouseClick(control<QPushButton>(b.button), Qt::LeftButton);
        ASSERT_TRUE(box->isVisible());
        ASSERT_EQ(QApplication::focusWidget(), box);
        if (b.label) {
            EXPECT_TRUE(control<QLabel>(b.label)->isVisible() && control<QLabel>(b.label)->geometry().right() + 1 == box->x());
        }
        QTest::keyClicks(box, b.typed);
        const QStringList logged = log();
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_FALSE(box->isVisible());
        if (b.label) {
            EXPECT_FALSE(control<QLabel>(b.label)->isVisible());
        }
        EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(b.button));
        EXPECT_EQ(log(), logged) << "nothing searched, renumbered or discovered";
        QTest::mouseClick(control<QPushButton>(b.button), Qt::LeftButton);
        ASSERT_EQ(QApplication::focusWidget(), box);
        EXPECT_EQ(box->text(), QString()) << "the cancelled text is gone";
        QTest::keyClick(box, Qt::Key_Escape);
    }
    EXPECT_FALSE(core->shop().isRunning());

    // 查找's and 修改货号's boxes take turns at the list's top, each dropping what was typed.
    auto *find = control<QLineEdit>("FindStrText"), *number = control<QLineEdit>("NewBabyNumText");
    click("FindADLCmd");
    QTest::keyClicks(find, S(u"D-"));
    click("EditBabyNumCmd");
    EXPECT_TRUE(!find->isVisible() && number->isVisible() && number->y() == find->y());
    EXPECT_GT(control<QWidget>("AlreadyDownedList")->y(), number->geometry().bottom());
    QTest::keyClicks(number, S(u"N-"));
    click("FindADLCmd");
    EXPECT_TRUE(find->isVisible() && !number->isVisible() && find->text().isEmpty());
    EXPECT_EQ(control<QPushButton>("EditBabyNumCmd")->text(), S(u"修改货号"));
    EXPECT_EQ(downloaded().entries(), QStringList{entry}) << "nothing renumbered";
}
