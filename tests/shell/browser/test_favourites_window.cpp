#include "qt_printers.h"
#include "recording_desktop.h"
#include "shell/browser/favourites.h"
#include "shell/browser/favourites_window.h"
#include "test_files.h"

#include <QAction>
#include <QDir>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString Address = QStringLiteral("http://detail.zorvane.com/offer/1.html");

struct FavouritesWindowTest : ::testing::Test
{
    QTemporaryDir program;
    Favourites favourites{program.path()};
    RecordingPrompts prompts;
    FavouritesWindow window{favourites, prompts};
    QSignalSpy opened{&window, &FavouritesWindow::openRequested};

    QString inFolder(const QString &name) const { return QDir(favourites.folder()).filePath(name); }
    void put(const QStringList &names)
    {
        ASSERT_TRUE(favourites.ensureFolder());
        for (const QString &name : names)
            writeBytes(inFolder(name), Favourites::fileBytes(Address));
    }
    QListWidget *list() const { return window.findChild<QListWidget *>(QStringLiteral("File1")); }
    QStringList shown() const
    {
        QStringList names;
        for (int i = 0; i < list()->count(); ++i)
            names << list()->item(i)->text();
        return names;
    }
    QAction *menu(int index) const
    {
        for (QAction *action : window.findChildren<QAction *>(QStringLiteral("menu"))) {
            if (action->property("index").toInt() == index)
                return action;
        }
        return nullptr;
    }
    void select(const QString &name) { list()->setCurrentItem(list()->findItems(name, Qt::MatchExactly).first()); }
};

} // namespace

TEST_F(FavouritesWindowTest, OpeningMakesTheFolderAndSelectsTheFirstEntry)
{
    window.Form_Load();
    EXPECT_TRUE(QDir(favourites.folder()).exists());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("收藏夹"));
    EXPECT_EQ(window.objectName(), QStringLiteral("linka"));
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(window.SelectedFavouritePath().isEmpty());
    QStringList captions;
    for (int i = 0; i < 4; ++i)
        captions << menu(i)->text();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("打开"), QStringLiteral("删除"), QStringLiteral("修改"),
                                     QStringLiteral("设为主页")}));

    put({QStringLiteral("b.link"), QStringLiteral("a.link")});
    window.Form_Load();
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("a"), QStringLiteral("b")})) << "named without the file's ending";
    EXPECT_EQ(window.SelectedFavouritePath(), inFolder(QStringLiteral("a.link")));
    // The list fills the window.
    window.resize(500, 400);
    window.layout()->activate();
    EXPECT_EQ(list()->width(), window.width());
}

TEST_F(FavouritesWindowTest, OpenAsksTheMainWindowAndStaysOpen)
{
    put({QStringLiteral("a.link"), QStringLiteral("b.link")});
    window.Form_Load();
    select(QStringLiteral("b"));
    menu(FavouritesWindow::Open)->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().at(0).toString(), inFolder(QStringLiteral("b.link")));
    EXPECT_FALSE(opened.first().at(1).toBool());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.SelectedFavouritePath(), inFolder(QStringLiteral("b.link")));
}

TEST_F(FavouritesWindowTest, DoubleClickOrEnterOpensAndCloses)
{
    put({QStringLiteral("a.link"), QStringLiteral("b.link")});
    window.Form_Load();
    QListWidgetItem *item = list()->item(1);
    const QPoint centre = list()->visualItemRect(item).center();
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centre);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().at(0).toString(), inFolder(QStringLiteral("b.link")));
    EXPECT_FALSE(window.isVisible());
    window.Form_Load();
    QTest::keyClick(list(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Return);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened.last().at(0).toString(), inFolder(QStringLiteral("b.link")));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(FavouritesWindowTest, DeleteRemovesAtOnceAndRereadsTheList)
{
    put({QStringLiteral("a.link"), QStringLiteral("b.link")});
    window.Form_Load();
    menu(FavouritesWindow::Delete)->trigger();
    EXPECT_EQ(shown(), QStringList{QStringLiteral("b")});
    EXPECT_FALSE(QFile::exists(inFolder(QStringLiteral("a.link"))));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(FavouritesWindowTest, RenameAsksWithTheFileNameAndKeepsCancelledEntries)
{
    put({QStringLiteral("a.link"), QStringLiteral("b.link")});
    window.Form_Load();
    const struct
    {
        std::optional<QString> answer;
        QStringList after;
        QString selected;
    } steps[] = {
        {std::nullopt, {QStringLiteral("a"), QStringLiteral("b")}, QStringLiteral("a.link")},
        {QString(), {QStringLiteral("a"), QStringLiteral("b")}, QStringLiteral("a.link")},
        {QStringLiteral("b"), {QStringLiteral("#b"), QStringLiteral("b")}, QStringLiteral("#b.link")},
        {QStringLiteral("b.link"), {QStringLiteral("##b"), QStringLiteral("b")}, QStringLiteral("##b.link")},
        {QStringLiteral("店铺"), {QStringLiteral("b"), QStringLiteral("店铺")}, QStringLiteral("店铺.link")},
    };
    QString before = QStringLiteral("a.link");
    for (const auto &step : steps) {
        prompts.answers = {step.answer};
        menu(FavouritesWindow::Rename)->trigger();
        ASSERT_FALSE(prompts.questions.isEmpty());
        EXPECT_EQ(prompts.questions.last().prompt, QStringLiteral("请输入新名称。"));
        EXPECT_EQ(prompts.questions.last().preset, Favourites::displayName(before)) << "the name the list shows";
        EXPECT_EQ(shown(), step.after);
        EXPECT_EQ(window.SelectedFavouritePath(), inFolder(step.selected));
        before = step.selected;
    }
}

TEST_F(FavouritesWindowTest, SetAsHomeCopiesSaysSoAndCloses)
{
    put({QStringLiteral("a.link")});
    window.Form_Load();
    menu(FavouritesWindow::SetHome)->trigger();
    EXPECT_EQ(readBytes(inFolder(QStringLiteral("主页.LINK"))), Favourites::fileBytes(Address));
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("已经设置为主页!")});
    EXPECT_FALSE(window.isVisible());

    // Opened again, the home page is listed and opens like any favourite.
    window.Form_Load();
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("a"), QStringLiteral("主页")}));
}

TEST_F(FavouritesWindowTest, MenuActionsWithoutASelectionDoNothing)
{
    window.Form_Load();
    for (int i = 0; i < 4; ++i)
        menu(i)->trigger();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_TRUE(prompts.questions.isEmpty());
}
