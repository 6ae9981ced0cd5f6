// The window's favourites, skins, tray, help, "新建" and the lists lock.
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"
#include "window_checks.h"
#include "test_files.h"

#include "shell/app/lists_lock.h"
#include "shell/app/program_options.h"
#include "shell/browser/favourites.h"
#include "shell/browser/help_commands.h"
#include "shell/browser/skins.h"
#include "shell/browser/tray_icon.h"
#include "shell/window/batch/batch_panel.h"
#include "shell/window/log/log_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <cstring>
#include <QListWidget>
#include <QPainter>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QMenu>
#include <QToolBar>
#include <QTest>
#include <QToolButton>

namespace {

const QString Page = QStringLiteral("http://www.zorvane.com/shell/page.html");
const QString Skin = S(u"青竹.qss");

class ShellTest : public WindowTest
{
protected:
    ShellTest() { servePage(sharedServer(), Page, plainPageHtml(S(u"收藏的页面"), S(u"<p>页面</p>"))); }
    ~ShellTest() override { qApp->setStyleSheet(QString()); }

    void toolbar(int position) const { control<QToolBar>("Toolbar1")->actions().at(position - 1)->trigger(); }
    void trigger(const char *action) const
    {
        auto *a = form->findChild<QAction *>(QLatin1String(action));
        ASSERT_TRUE(a) << action;
        a->trigger();
    }
    QListWidget *list(const char *name) const { return control<QListWidget>(name); }
    void pick(const char *listName, const QString &entry) const
    {
        QListWidget *l = list(listName);
        l->setCurrentItem(l->findItems(entry, Qt::MatchExactly).value(0));
    }
    void favouritesMenu(int index) const
    {
        for (QAction *a : form->findChildren<QAction *>(QStringLiteral("menu"))) {
            if (a->property("index").toInt() == index)
                a->trigger();
        }
    }
    QString likepage(const QString &name) const
    {
        return QDir(folder.path()).filePath(QStringLiteral("likepage/") + name);
    }
    QList<qint16> tabList() { return form->tabBook().TabList(); }
    void putShippedSkin()
    {
        const QString skins = QDir(folder.path()).filePath(S(u"皮肤"));
        ASSERT_TRUE(QDir().mkpath(skins));
        ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(ZORVANE_SKIN_DIR)).filePath(Skin), QDir(skins).filePath(Skin)));
    }
    static QString shippedSkin()
    {
        return QString::fromUtf8(readBytes(QDir(QStringLiteral(ZORVANE_SKIN_DIR)).filePath(Skin)));
    }
};

} // namespace

TEST_F(ShellTest, StoredFavouritesAndTheHomePageOpenFromTheToolbarAndTheFavouritesWindow)
{
    open();
    ASSERT_TRUE(loadIn(browser(0), Page));
    ASSERT_TRUE(waitUntil([&] { return form->windowTitle() == S(u"收藏的页面"); }));
    toolbar(4); // 主页 before one is set
    EXPECT_EQ(tabList(), QList<qint16>{0});
    for (int store = 0; store < 3; ++store)
        toolbar(6);
    // One favourite for the page, and the answer says it is there.
    EXPECT_EQ(desktop.prompts.texts(), QStringList{S(u"已经收藏！")} + QStringList(2, S(u"该网页已在收藏夹中:收藏的页面")));
    EXPECT_EQ(QDir(likepage(QString())).entryList(QDir::Files), QStringList{S(u"收藏的页面.link")});
    EXPECT_EQ(readBytes(likepage(S(u"收藏的页面.link"))), Favourites::fileBytes(Page));

    toolbar(5);
    auto *linka = control<QWidget>("linka");
    EXPECT_TRUE(linka->isVisible());
    EXPECT_EQ(list("File1")->count(), 1);
    // Another address stored while the window is open: listed there at once, selected.
    addressBar()->setEditText(Page + QStringLiteral("?b"));
    toolbar(6);
    ASSERT_EQ(list("File1")->count(), 2);
    EXPECT_EQ(list("File1")->currentItem()->text(), S(u"#收藏的页面"));
    pick("File1", S(u"收藏的页面"));
    favouritesMenu(3); // 设为主页
    EXPECT_EQ(desktop.prompts.texts().last(), S(u"已经设置为主页!"));
    EXPECT_FALSE(linka->isVisible());

    // The tab shows a page: the home page opens in a new tab.
    toolbar(4);
    EXPECT_EQ(tabList(), (QList<qint16>{0, 1}));
    ASSERT_TRUE(waitUntil([&] { return browser(1)->url() == QUrl(Page); }));
    EXPECT_EQ(addressBar()->currentText(), Page);

    // From the favourites window the home page's own file opens the same way.
    toolbar(5);
    pick("File1", S(u"主页"));
    favouritesMenu(0); // 打开
    EXPECT_EQ(tabList(), (QList<qint16>{0, 1, 2}));
    ASSERT_TRUE(waitUntil([&] { return browser(2)->url() == QUrl(Page); }));

    // A blank tab is reused.
    toolbar(3);
    toolbar(4);
    EXPECT_EQ(tabList(), (QList<qint16>{0, 1, 2, 3}));
    ASSERT_TRUE(waitUntil([&] { return browser(3)->url() == QUrl(Page); }));
}

TEST_F(ShellTest, ASkinPickedInTheSkinWindowIsAppliedAndStored)
{
    putShippedSkin();
    open();
    toolbar(8);
    EXPECT_TRUE(control<QWidget>("skin")->isVisible());
    ASSERT_EQ(list("SkinFile")->count(), 1);
    EXPECT_EQ(qApp->styleSheet(), QString());
    pick("SkinFile", S(u"青竹")); // shown without its file's ending
    EXPECT_EQ(qApp->styleSheet(), shippedSkin());
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("skin")), Skin);
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("skinid")), QStringLiteral("0"));
    // The skin's wider buttons all stay in sight, the contact button beside them.
    auto *bar = control<QToolBar>("Toolbar1");
    ASSERT_TRUE(waitUntil([&] { return bar->width() == bar->sizeHint().width(); }));
    EXPECT_EQ(control<QToolButton>("xqkf")->x(), bar->width());
}

// Every skin paints the whole panel, reads well in every state of an entry and
// a box, keeps the controls in place; the plain look comes back exactly.
TEST_F(ShellTest, EveryShippedSkinPaintsTheWholeBatchPanel)
{
    open();
    form->resize(1024, 640);
    form->ShowListCmd_Click();
    auto *panel = control<QWidget>("batModeFrame");
    const auto geometry = [&] {
        QList<QRect> where;
        for (const QWidget *w : panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            where << w->geometry();
        return where;
    };
    const QList<QRect> plain = geometry();
    // An entry of a list, or a tick box, in a state as the look draws it.
    const auto drawn = [](QWidget *w, QStyle::State state) {
        const bool entry = qobject_cast<QAbstractItemView *>(w);
        QImage image(120, 24, QImage::Format_RGB32);
        image.fill(w->palette().color(entry ? QPalette::Base : QPalette::Window));
        QPainter painter(&image);
        QStyleOptionViewItem item;
        QStyleOptionButton box;
        QStyleOption &option = entry ? static_cast<QStyleOption &>(item) : box;
        option.initFrom(w);
        option.state |= state;
        option.rect = entry ? QRect(0, 0, 120, 24) : QRect(4, 4, 16, 16);
        item.text = S(u"D-1|宝贝");
        item.features = QStyleOptionViewItem::HasDisplay;
        if (entry)
            w->style()->drawControl(QStyle::CE_ItemViewItem, &item, &painter, w);
        else
            w->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, w);
        return image;
    };
    const QDir shipped(QStringLiteral(ZORVANE_SKIN_DIR));
    const QStringList names = shipped.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString &name : QStringList{QString()} + names) {
        SCOPED_TRACE(name.isEmpty() ? "plain look" : name.toStdString());
        if (name.isEmpty())
            qApp->setStyleSheet(QString());
        else
            ASSERT_TRUE(Skins::ApplySkin(shipped.filePath(name)));
        QCoreApplication::processEvents(); // the window lays itself out for the new look
        // Whatever the panel leaves unpainted shows the browsers behind it:
        // here the colour nothing in a skin is painted with.
        QImage image(panel->size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        panel->render(&image, {}, {}, QWidget::DrawChildren);
        int unpainted = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                unpainted += image.pixel(x, y) == QColor(Qt::magenta).rgb();
        }
        EXPECT_EQ(unpainted, 0);
        // At least what the plain look gives: 3.7 for an entry's text, 1.65 for a box's edge.
        const QStyle::State hovered = QStyle::State_MouseOver, selected = QStyle::State_Selected;
        for (QWidget *view : {control<QWidget>("AlreadyDownedList"), static_cast<QWidget *>(list("SkinFile"))}) {
            for (const QStyle::State state : {hovered | selected, hovered, selected})
                EXPECT_GE(strongestContrast(drawn(view, state)), 3.0) << view->objectName().toStdString() << state;
        }
        for (const QStyle::State state : {QStyle::State_Off, QStyle::State_On})
            EXPECT_GE(strongestContrast(drawn(control<QWidget>("FastPickChk"), state)), 1.5) << state;
        EXPECT_EQ(layoutFaults(*form), QStringList());
    }
    click("DefaultLookCmd"); // 恢复默认外观
    QCoreApplication::processEvents();
    EXPECT_EQ(geometry(), plain);
}

// 日志, 换肤, 收藏夹, 店铺上新 and 宝贝预览 are dialogs of the main window (the
// window manager keeps them over it), open over its middle, wherever it
// stands, and Esc closes each; 日志 opens with the keyboard in its lines.
TEST_F(ShellTest, TheSmallWindowsAreTheMainWindowsOpenOverItAndCloseWithEsc)
{
    open(true);
    // Inside the offscreen screen (800×600), with room around each small window.
    form->setGeometry(10, 10, 780, 580);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    for (const auto &[name, show] : QList<std::pair<const char *, std::function<void()>>>{
             {"LogWindow", [&] { form->showLogWindow(); }}, {"skin", [&] { toolbar(8); }},
             {"linka", [&] { toolbar(5); }}, {"WatchWindow", [&] { form->showWatchWindow(); }},
             {"PreviewWindow", [&] { form->batchPanel().PreviewCmd_Click(); }}}) {
        SCOPED_TRACE(name);
        show();
        auto *shown = form->findChild<QWidget *>(QLatin1String(name));
        ASSERT_TRUE(shown && shown->isVisible());
        EXPECT_EQ(shown->window()->parentWidget()->window(), form.get());
        EXPECT_EQ(shown->windowType(), Qt::Dialog);
        EXPECT_LE((shown->geometry().center() - form->geometry().center()).manhattanLength(), 10)
            << "at " << shown->x() << "," << shown->y();
        EXPECT_TRUE(form->geometry().contains(shown->geometry())) << "no larger than the window it belongs to";
        if (std::strcmp(name, "LogWindow") == 0) { // what has the keyboard when 日志 is active
            EXPECT_EQ(shown->focusWidget(), shown->findChild<QWidget *>(QStringLiteral("LogText")));
        }
        shown->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == shown; }));
        QTest::keyClick(shown->focusWidget() ? shown->focusWidget() : shown, Qt::Key_Escape);
        EXPECT_FALSE(shown->isVisible());
        form->activateWindow();
        ASSERT_TRUE(waitUntil([&] { return QApplication::activeWindow() == form.get(); }));
    }
    // The preview follows the downloaded list with the keyboard left in it: Esc there closes the preview.
    form->ShowListCmd_Click();
    control<QWidget>("AlreadyDownedList")->setFocus();
    form->batchPanel().PreviewCmd_Click();
    QTest::keyClick(control<QWidget>("AlreadyDownedList"), Qt::Key_Escape);
    EXPECT_FALSE(form->findChild<QWidget *>(QStringLiteral("PreviewWindow"))->isVisible());
}

TEST_F(ShellTest, StartUpAppliesTheStoredSkin)
{
    putShippedSkin();
    writeConfig(S(u"isAuto=False\r\nskin=") + Skin + S(u"\r\n"));
    open(true);
    EXPECT_EQ(qApp->styleSheet(), shippedSkin());
}

TEST_F(ShellTest, TheTrayBringsAMinimisedWindowBack)
{
    writeConfig(S(u"isAuto=False\r\n"));
    open(true);
    auto *tray = form->findChild<TrayIcon *>();
    ASSERT_TRUE(tray);
    form->showMinimized();
    ASSERT_TRUE(form->isMinimized());
    QCoreApplication::processEvents();
    // Offscreen there is no tray: the minimised window stays in the task bar.
    EXPECT_FALSE(tray->isShown());
    EXPECT_TRUE(form->isVisible());

    tray->activate(QSystemTrayIcon::Trigger, {});
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(form->isVisible());

    // The right button pops up the "文件" menu.
    tray->activate(QSystemTrayIcon::Context, QPoint(10, 10));
    auto *file = form->findChild<QMenu *>(QStringLiteral("file"));
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->isVisible());
    file->hide();
}

TEST_F(ShellTest, HelpVersionAndContact)
{
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")),
                       S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nH-1|u\r\n<AlreadyDownedList>\r\n"));
    writeConfig(S(u"isAuto=False\r\n"));
    open(true);
    trigger("HelpDoc");
    trigger("Ver");
    ASSERT_EQ(desktop.prompts.messages.size(), 2);
    EXPECT_EQ(desktop.prompts.messages.at(0).title, S(u"使用帮助"));
    EXPECT_EQ(desktop.prompts.messages.at(0).text, HelpCommands::helpText(core->options().marketplace.homePage));
    EXPECT_EQ(desktop.prompts.messages.at(1).title, S(u"软件版本信息"));

    control<QToolButton>("xqkf")->click();
    EXPECT_EQ(desktop.opener.opened, QStringList{HelpCommands::supportLink()});
    EXPECT_EQ(pending().entries(), QStringList{S(u"H-1|u")}) << "the lists are not loaded twice";
}

TEST_F(ShellTest, NewStartsAnotherCopyOnTheSameProgramFolder)
{
    open();
    trigger("new");
    EXPECT_EQ(desktop.starter.program, QCoreApplication::applicationFilePath());
    EXPECT_EQ(desktop.starter.arguments.mid(0, 2), (QStringList{QStringLiteral("--program-folder"), folder.path()}));

    // In a demo the marketplace lives in this process: a copy could not reach it.
    desktop.starter.program.clear();
    form->refuseAnotherCopy(S(u"演示模式下不能新建窗口"));
    trigger("new");
    EXPECT_TRUE(desktop.starter.program.isEmpty());
    EXPECT_EQ(log().last(), S(u"演示模式下不能新建窗口"));
}

TEST_F(ShellTest, AWindowBesideTheListsOwnerKeepsItsListsReadOnly)
{
    const QString lists = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nR-1|u\r\n<AlreadyDownedList>\r\n");
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")), lists);
    ListsLock owner(folder.path());
    ASSERT_EQ(owner.acquire(), ListsLock::State::Owner);
    open(true); // auto mode on
    EXPECT_TRUE(form->listsReadOnly());
    EXPECT_EQ(log(), QStringList{MainForm::readOnlyNotice()}) << "no start";
    EXPECT_EQ(form->windowTitle(), S(u"Zorvane产品图片下载器 (列表只读)"));
    EXPECT_FALSE(control<QPushButton>("StartPickCmd")->isEnabled());
    // Ticking auto mode does not start the batch either.
    auto *autoMode = control<QCheckBox>("AutoModeChk");
    autoMode->click();
    autoMode->click();
    EXPECT_TRUE(log().contains(ListsLock::startRefusedNotice()));
    EXPECT_FALSE(core->batch().isControllerOn());
    EXPECT_FALSE(control<QPushButton>("StartPickCmd")->isEnabled());

    ASSERT_TRUE(loadIn(browser(0), Page));
    ASSERT_TRUE(waitUntil([&] { return form->windowTitle() == S(u"收藏的页面 (列表只读)"); }));
    toolbar(6);
    EXPECT_TRUE(QFile::exists(likepage(S(u"收藏的页面.link")))) << "named after the page";

    pending().append(QStringLiteral("R-2|v"));
    form->close();
    EXPECT_EQ(listData(), lists);
}


TEST(DemoFolder, ADemoNeverEmptiesTheFolderOfOneStillRunning)
{
    QTemporaryDir temp;
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    const QString running = QDir(temp.path()).filePath(QStringLiteral("zorvane-picker-demo"));
    QDir().mkpath(running);
    writeLocalTextFile(running + QStringLiteral("/listdata.txt"), S(u"<AddUrlText>\r\n运行中的演示\r\n"));
    ListsLock owner(running);
    ASSERT_EQ(owner.acquire(), ListsLock::State::Owner);

    char program[] = "zorvane-picker", demo[] = "--demo";
    char *argv[] = {program, demo};
    ProgramOptions start(CommandLine::Program::Window, 2, argv);
    QCommandLineParser parser;
    start.addTo(parser);
    ASSERT_TRUE(parser.parse(start.arguments()));
    QString error;
    EXPECT_TRUE(start.finish(parser, &error)) << error.toStdString();
    EXPECT_EQ(start.coreOptions().programFolder, running + QStringLiteral("-2"));
    EXPECT_EQ(readLocalTextFile(running + QStringLiteral("/listdata.txt")), S(u"<AddUrlText>\r\n运行中的演示\r\n"));
    qputenv("TMPDIR", savedTemp);
}

// Only a demo tells the embedded browser of a certificate to accept: the
// pin of the one its marketplace made, beside the https port in the host map.
TEST(DemoFolder, OnlyADemoHasTheBrowserAcceptItsOwnCertificate)
{
    for (const int argc : {1, 2}) {
        char program[] = "zorvane-picker", demo[] = "--demo";
        char *argv[] = {program, demo};
        ProgramOptions start(CommandLine::Program::Window, argc, argv);
        QString flags;
        for (int i = 0; i < start.appArgc(); ++i)
            flags += QString::fromLocal8Bit(start.appArgv()[i]) + u'\n';
        EXPECT_EQ(flags.count(QRegularExpression(S(u"\n--host-resolver-rules=MAP \\*\\.zorvane\\.com:443 127\\.0\\.0\\.1:\\d+, "))),
                  argc - 1) << flags.toStdString();
        EXPECT_EQ(flags.count(QRegularExpression(S(u"\n--ignore-certificate-errors-spki-list=[A-Za-z0-9+/]{43}=\n"))), argc - 1)
            << flags.toStdString();
    }
}
