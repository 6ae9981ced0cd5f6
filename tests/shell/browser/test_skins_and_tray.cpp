#include "qt_printers.h"
#include "shell/browser/skin_window.h"
#include "shell/browser/skins.h"
#include "shell/browser/tray_icon.h"
#include "shell/settings.h"
#include "shell/window/main/dialog_prompts.h"
#include "test_app.h"
#include "test_files.h"

#include <QApplication>
#include <QDir>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QByteArray Blue = "QWidget { background-color: #3a8dde; }";
const QByteArray Green = "QPushButton { color: #2f7a4b; }";

struct SkinsTest : ::testing::Test
{
    QTemporaryDir program;
    QTemporaryDir shipped;
    Settings settings{program.path()};
    Skins skins{program.path(), settings, {shipped.path()}};
    SkinWindow window{skins};

    void SetUp() override { qApp->setStyleSheet(QString()); }
    void TearDown() override { qApp->setStyleSheet(QString()); }

    QString inFolder(const QString &name) const { return QDir(skins.folder()).filePath(name); }
    void put(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(QDir().mkpath(skins.folder()));
        writeBytes(inFolder(name), bytes);
    }
    QListWidget *list() const { return window.findChild<QListWidget *>(QStringLiteral("SkinFile")); }
    QString stored(const char *key) const { return settings.LoadConfigValue(QString::fromLatin1(key)); }
};

} // namespace

TEST_F(SkinsTest, ApplyingAStyleSheetAndRefusingWhatIsNone)
{
    put(QStringLiteral("good.qss"), Blue);
    ASSERT_TRUE(Skins::ApplySkin(inFolder(QStringLiteral("good.qss"))));
    EXPECT_EQ(qApp->styleSheet(), QString::fromLatin1(Blue));

    const struct
    {
        const char *name;
        QByteArray bytes;
    } bad[] = {
        {"unbalanced", "QWidget { color: red; "},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"not_utf8", "QWidget { color: red; } /* \xB0\xD7 */"},
        {"no_rule", "hello world"},
        {"empty", ""},
        {"garbage_selectors", "a b c { } ;;; ???"},
    };
    for (const auto &c : bad) {
        put(QString::fromLatin1(c.name), c.bytes);
        EXPECT_FALSE(Skins::ApplySkin(inFolder(QString::fromLatin1(c.name)))) << c.name;
        EXPECT_EQ(qApp->styleSheet(), QString::fromLatin1(Blue)) << c.name << ": the look stays as it was";
    }
    EXPECT_FALSE(Skins::ApplySkin(inFolder(QStringLiteral("missing.qss"))));
    EXPECT_EQ(qApp->styleSheet(), QString::fromLatin1(Blue));
}

TEST_F(SkinsTest, TheShippedSkinsAreStyleSheets)
{
    const QDir folder(QStringLiteral(ZORVANE_SKIN_DIR));
    const QStringList names = folder.entryList(QDir::Files);
    EXPECT_GE(names.size(), 3);
    for (const QString &name : names)
        EXPECT_TRUE(Skins::ApplySkin(folder.filePath(name))) << name.toStdString();
}

TEST_F(SkinsTest, PickingStoresSkinAndSkinid)
{
    put(QStringLiteral("a.qss"), Blue);
    put(QStringLiteral("b.qss"), Green);
    put(QStringLiteral("c.qss"), "not a style sheet");
    window.skin_Form_Load();
    EXPECT_EQ(window.objectName(), QStringLiteral("skin"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("换肤"));
    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->currentRow(), -1) << "nothing stored: nothing selected";
    EXPECT_EQ(stored("skin"), QString());

    list()->setCurrentRow(1);
    EXPECT_EQ(stored("skin"), QStringLiteral("b.qss"));
    EXPECT_EQ(stored("skinid"), QStringLiteral("1"));
    EXPECT_EQ(qApp->styleSheet(), QString::fromLatin1(Green));

    // The third entry cannot be applied: stored all the same, the look stays.
    list()->setCurrentRow(2);
    EXPECT_EQ(stored("skin"), QStringLiteral("c.qss"));
    EXPECT_EQ(stored("skinid"), QStringLiteral("2"));
    EXPECT_EQ(qApp->styleSheet(), QString::fromLatin1(Green));
    EXPECT_TRUE(window.isVisible()) << "the window stays for the next try";
}

TEST_F(SkinsTest, OpeningSelectsTheStoredEntryAgain)
{
    put(QStringLiteral("a.qss"), Blue);
    put(QStringLiteral("b.qss"), Green);
    const struct
    {
        QString skinid;
        int selected;
        QString sheet;
    } cases[] = {
        {QStringLiteral("0"), 0, QString::fromLatin1(Blue)},
        {QStringLiteral("1"), 1, QString::fromLatin1(Green)},
        {QString(), -1, QString()},
        {QStringLiteral("x"), -1, QString()},
        {QStringLiteral("-1"), -1, QString()},
        {QStringLiteral("2"), -1, QString()}, // a skin file was removed
        {QStringLiteral("99999999999"), -1, QString()},
    };
    for (const auto &c : cases) {
        qApp->setStyleSheet(QString());
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("skin"), QStringLiteral("old.qss")));
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("skinid"), c.skinid));
        SkinWindow opened(skins);
        opened.skin_Form_Load();
        EXPECT_EQ(opened.SkinFile()->currentRow(), c.selected) << c.skinid.toStdString();
        EXPECT_EQ(qApp->styleSheet(), c.sheet) << c.skinid.toStdString();
        const bool rewritten = c.selected >= 0;
        EXPECT_EQ(stored("skin"), rewritten ? opened.SkinFile()->item(c.selected)->data(SkinWindow::FileRole).toString()
                                          : QStringLiteral("old.qss"));
        EXPECT_EQ(stored("skinid"), c.skinid);
    }
}

TEST_F(SkinsTest, OpeningWithoutAStoredEntrySelectsAndAppliesNothing)
{
    put(QStringLiteral("a.qss"), Blue);
    put(QStringLiteral("b.qss"), Green);
    for (const QString &skinid : {QString(), QStringLiteral("x"), QStringLiteral("7")}) {
        SCOPED_TRACE(skinid.toStdString());
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("skinid"), skinid));
        SkinWindow opened(skins);
        opened.skin_Form_Load();
        // The list gets the focus as the window comes up, as it does on a desktop.
        ASSERT_TRUE(QTest::qWaitForWindowActive(&opened));
        opened.SkinFile()->setFocus(Qt::ActiveWindowFocusReason);
        ASSERT_TRUE(waitUntil([&] { return opened.SkinFile()->hasFocus(); }));
        QCoreApplication::processEvents();
        EXPECT_TRUE(opened.SkinFile()->selectedItems().isEmpty());
        EXPECT_EQ(qApp->styleSheet(), QString());
        EXPECT_EQ(stored("skin"), QString());
        EXPECT_EQ(stored("skinid"), skinid);
    }
}

TEST_F(SkinsTest, TheDefaultLookIsBackWithOneButton)
{
    put(QStringLiteral("a.qss"), Blue);
    put(QStringLiteral("b.qss"), Green);
    window.skin_Form_Load();
    list()->setCurrentRow(1);
    ASSERT_EQ(qApp->styleSheet(), QString::fromLatin1(Green));
    auto *plain = window.findChild<QPushButton *>(QStringLiteral("DefaultLookCmd"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->text(), QStringLiteral("恢复默认外观"));

    QTest::mouseClick(plain, Qt::LeftButton);
    EXPECT_EQ(qApp->styleSheet(), QString());
    EXPECT_EQ(stored("skin"), QString());
    EXPECT_EQ(stored("skinid"), QString());
    EXPECT_TRUE(list()->selectedItems().isEmpty());
    EXPECT_EQ(skins.entries(), (QStringList{QStringLiteral("a.qss"), QStringLiteral("b.qss")})) << "the list stays";
    EXPECT_TRUE(window.isVisible());

    // Opened again, nothing comes back; a skin can be picked again, the same one too.
    window.skin_Form_Load();
    EXPECT_EQ(qApp->styleSheet(), QString());
    list()->setCurrentRow(1);
    EXPECT_EQ(qApp->styleSheet(), QString::fromLatin1(Green));
    EXPECT_EQ(stored("skinid"), QStringLiteral("1"));
}

TEST_F(SkinsTest, AMissingFolderIsMadeWithTheShippedSkins)
{
    writeBytes(QDir(shipped.path()).filePath(QStringLiteral("清爽蓝.qss")), Blue);
    ASSERT_FALSE(QDir(skins.folder()).exists());
    window.skin_Form_Load();
    EXPECT_EQ(skins.entries(), QStringList{QStringLiteral("清爽蓝.qss")});
    EXPECT_EQ(stored("skinid"), QString()) << "nothing is stored by opening";

    // A folder the user emptied stays empty.
    QFile::remove(inFolder(QStringLiteral("清爽蓝.qss")));
    window.skin_Form_Load();
    EXPECT_EQ(list()->count(), 0);
}

TEST_F(SkinsTest, StartUpAppliesTheStoredSkin)
{
    put(QStringLiteral("a.qss"), Blue);
    const struct
    {
        QString skin;
        QString sheet;
    } cases[] = {
        {QStringLiteral("a.qss"), QString::fromLatin1(Blue)},
        {QString(), QString()},                        // the plain look is the default
        {QStringLiteral("removed.qss"), QString()},
        {QStringLiteral("../皮肤/a.qss"), QString()},   // only names in the skin folder
    };
    for (const auto &c : cases) {
        qApp->setStyleSheet(QString());
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("skin"), c.skin));
        skins.applyStored();
        EXPECT_EQ(qApp->styleSheet(), c.sheet) << c.skin.toStdString();
    }
}

TEST(Tray, ClicksOnTheIcon)
{
    QMenu fileMenu;
    TrayIcon tray(QIcon(), &fileMenu);
    QWidget window;
    QObject::connect(&tray, &TrayIcon::restoreRequested, &window, [&window] { restoreIfMinimised(&window); });
    QSignalSpy menuShown(&tray, &TrayIcon::menuShown);
    window.show();

    // Left button on a normal window: nothing changes.
    tray.activate(QSystemTrayIcon::Trigger, {});
    EXPECT_EQ(window.windowState(), Qt::WindowNoState);
    EXPECT_TRUE(window.isVisible());

    // Left button on a minimised, hidden window: back in its normal state.
    window.setWindowState(Qt::WindowMinimized);
    window.hide();
    tray.activate(QSystemTrayIcon::Trigger, {});
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());

    // Right button: the "文件" menu; other events do nothing.
    tray.activate(QSystemTrayIcon::Context, QPoint(10, 10));
    EXPECT_EQ(menuShown.size(), 1);
    EXPECT_TRUE(fileMenu.isVisible());
    fileMenu.hide();
    tray.activate(QSystemTrayIcon::MiddleClick, {});
    tray.activate(QSystemTrayIcon::DoubleClick, {});
    EXPECT_EQ(menuShown.size(), 1);
    EXPECT_EQ(tray.toolTip(), QStringLiteral("Zorvane图片下载器"));
}

TEST(Tray, AMinimisedWindowHidesOnlyWhereTheTrayIsShown)
{
    EXPECT_TRUE(hidesWhenMinimised(Qt::WindowMinimized, true));
    EXPECT_TRUE(hidesWhenMinimised(Qt::WindowMinimized | Qt::WindowMaximized, true));
    EXPECT_FALSE(hidesWhenMinimised(Qt::WindowMinimized, false));
    EXPECT_FALSE(hidesWhenMinimised(Qt::WindowNoState, true));
    EXPECT_FALSE(hidesWhenMinimised(Qt::WindowMaximized, true));

    // Offscreen there is no tray: the icon is not shown, so nothing hides.
    TrayIcon tray(QIcon(), nullptr);
    tray.add();
    EXPECT_FALSE(tray.isShown());
}

TEST(DialogPrompts, TheInputBoxAnswersThroughItsCallback)
{
    QWidget owner;
    owner.show();
    DialogPrompts prompts(&owner);
    std::vector<std::optional<QString>> answers;
    for (const bool accept : {true, false}) {
        prompts.askText(QStringLiteral("请输入新名称。"), QStringLiteral("标题"), QStringLiteral("旧.link"),
                        [&answers](std::optional<QString> answer) { answers.push_back(answer); });
        auto *dialog = owner.findChild<QInputDialog *>();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->labelText(), QStringLiteral("请输入新名称。"));
        EXPECT_EQ(dialog->textValue(), QStringLiteral("旧.link"));
        QSignalSpy gone(dialog, &QObject::destroyed);
        dialog->setTextValue(QStringLiteral("新"));
        accept ? dialog->accept() : dialog->reject();
        ASSERT_TRUE(gone.wait(30000));
    }
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers.at(0), QStringLiteral("新"));
    EXPECT_EQ(answers.at(1), std::nullopt);
}

TEST(DialogPrompts, MessagesBreakLinesAtLoneCarriageReturns)
{
    QWidget owner;
    DialogPrompts prompts(&owner);
    prompts.showMessage(Prompts::Icon::Information, QStringLiteral("软件版本信息"),
                        QStringLiteral("软件名称：Zorvane图片下载器\r软件版本:Ver3.3.1"));
    auto *box = owner.findChild<QMessageBox *>();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QStringLiteral("软件名称：Zorvane图片下载器\n软件版本:Ver3.3.1"));
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("软件版本信息"));
    box->close();
}
