#include "qt_printers.h"
#include "recording_desktop.h"
#include "shell/browser/tab_book.h"

#include <QList>

#include <gtest/gtest.h>

namespace {

// What a tab strip bound to the book shows, built from its signals only.
struct Strip
{
    QStringList keys;
    QStringList captions;
    QList<qint16> views; // the views that exist, by tab position
    int selected = 0;    // 1-based
    QString windowCaption;
    QList<qint16> sentHome;

    explicit Strip(TabBook &book)
    {
        keys << book.tabs().first().key;
        captions << QString();
        views << book.tabs().first().index;
        selected = 1;
        QObject::connect(&book, &TabBook::tabOpened, [this](int position, qint16 index, const QString &key) {
            keys.insert(position - 1, key);
            captions.insert(position - 1, QString());
            views.insert(position - 1, index);
        });
        QObject::connect(&book, &TabBook::tabClosed, [this](int position, qint16 index) {
            EXPECT_EQ(views.at(position - 1), index);
            keys.removeAt(position - 1);
            captions.removeAt(position - 1);
            views.removeAt(position - 1);
        });
        QObject::connect(&book, &TabBook::currentChanged, [this](int position, qint16 index) {
            EXPECT_EQ(views.at(position - 1), index);
            selected = position;
        });
        QObject::connect(&book, &TabBook::tabCaptionChanged,
                         [this](int position, const QString &caption) { captions[position - 1] = caption; });
        QObject::connect(&book, &TabBook::windowCaptionChanged,
                         [this](const QString &caption) { windowCaption = caption; });
        QObject::connect(&book, &TabBook::sendHome, [this](qint16 index) { sentHome << index; });
    }
};

struct TabBookTest : ::testing::Test
{
    bool busy = false;
    RecordingPrompts prompts;
    TabBook book{[this](qint16 index) { return index == 0 && busy; }, prompts};
    Strip strip{book};

    void expectConsistent()
    {
        EXPECT_EQ(strip.views, book.TabList());
        EXPECT_EQ(strip.selected, book.currentPosition());
        ASSERT_GT(book.currentPosition(), 0);
        EXPECT_EQ(book.TabList().at(book.currentPosition() - 1), book.CurBrowserIndex());
    }
};

} // namespace

TEST_F(TabBookTest, StartsWithTabZeroKeyedT0)
{
    EXPECT_EQ(book.TabList(), QList<qint16>{0});
    EXPECT_EQ(book.CurBrowserIndex(), 0);
    EXPECT_EQ(strip.keys, QStringList{QStringLiteral("t0")});
}

TEST_F(TabBookTest, NewTabsTakeTheSmallestFreeIndexAndStandLast)
{
    EXPECT_EQ(book.NewP(), 1);
    EXPECT_EQ(book.NewP(), 2);
    EXPECT_EQ(strip.keys, (QStringList{QStringLiteral("t0"), QStringLiteral("1t"), QStringLiteral("2t")}));
    expectConsistent();

    ASSERT_TRUE(book.TabStrip1_Click(2));
    book.Close_B_Click();
    EXPECT_EQ(book.TabList(), (QList<qint16>{0, 2}));
    EXPECT_EQ(book.CurBrowserIndex(), 2) << "the last tab is selected after closing";

    EXPECT_EQ(book.NewP(), 1) << "the closed tab's index is reused";
    EXPECT_EQ(book.TabList(), (QList<qint16>{0, 2, 1}));
    EXPECT_EQ(strip.keys.last(), QStringLiteral("1t"));
    EXPECT_EQ(book.CurBrowserIndex(), 1);
    expectConsistent();

    // Tab 0 closed and opened again gets the key of an opened tab.
    ASSERT_TRUE(book.TabStrip1_Click(1));
    book.Close_B_Click();
    EXPECT_EQ(book.NewP(), 0);
    EXPECT_EQ(strip.keys.last(), QStringLiteral("0t"));
    expectConsistent();
}

TEST_F(TabBookTest, NoTabBeyondTheLastBrowserIndex)
{
    for (int i = 1; i < TabBook::BrowserCount; ++i)
        ASSERT_EQ(book.NewP(), i);
    EXPECT_EQ(book.NewP(), std::nullopt);
    EXPECT_EQ(book.count(), TabBook::BrowserCount);
    EXPECT_EQ(book.CurBrowserIndex(), TabBook::BrowserCount - 1);
}

TEST_F(TabBookTest, CloseRules)
{
    struct Case
    {
        const char *name;
        int extraTabs;      // opened after tab 0
        int selectPosition; // the tab to close
        bool batchBusy;
        QList<qint16> after;
        qint16 currentAfter;
        bool refused;
        bool sentHome;
    };
    const Case cases[] = {
        {"only_tab_kept_and_sent_home", 0, 1, false, {0}, 0, false, true},
        {"middle_tab_closed_last_selected", 2, 2, false, {0, 2}, 2, false, false},
        {"last_tab_closed_new_last_selected", 2, 3, false, {0, 1}, 1, false, false},
        {"first_tab_closed", 1, 1, false, {1}, 1, false, false},
        {"tab_zero_refused_while_collecting", 1, 1, true, {0, 1}, 0, true, false},
        {"only_tab_refused_while_collecting", 0, 1, true, {0}, 0, true, false},
        {"other_tab_closes_while_collecting", 1, 2, true, {0}, 0, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPrompts answers;
        bool collecting = false;
        TabBook tabs([&collecting](qint16 index) { return index == 0 && collecting; }, answers);
        Strip shown(tabs);
        for (int i = 0; i < c.extraTabs; ++i)
            tabs.NewP();
        tabs.TabStrip1_Click(c.selectPosition);
        collecting = c.batchBusy;

        tabs.Close_B_Click();

        EXPECT_EQ(tabs.TabList(), c.after);
        EXPECT_EQ(shown.views, c.after);
        EXPECT_EQ(tabs.CurBrowserIndex(), c.currentAfter);
        EXPECT_EQ(shown.sentHome, c.sentHome ? QList<qint16>{0} : QList<qint16>{});
        if (c.refused) {
            ASSERT_EQ(answers.messages.size(), 1);
            EXPECT_EQ(answers.messages.first().text, QStringLiteral("采集中不能关闭"));
            EXPECT_EQ(answers.messages.first().title, QStringLiteral("错误"));
            EXPECT_EQ(answers.messages.first().icon, Prompts::Icon::Critical);
        } else {
            EXPECT_TRUE(answers.messages.isEmpty());
        }
    }
}

TEST(TabCaption, FirstFiveCharactersCleaned)
{
    const struct
    {
        QString title;
        QString caption;
    } cases[] = {
        {QStringLiteral("网页标题很长的例子"), QStringLiteral("网页标题很")},
        {QStringLiteral("短标题"), QStringLiteral("短标题")},
        {QString(), QString()},
        {QStringLiteral("a/b:cdefg"), QStringLiteral("abc")},        // cut first, then cleaned
        {QStringLiteral("P-ick宝贝页面"), QString()},                 // P-ick becomes Pick, then goes
        {QStringLiteral("😀😀😀😀😀😀"), QStringLiteral("😀😀😀😀😀")}, // a character outside the BMP is not split
    };
    for (const auto &c : cases)
        EXPECT_EQ(TabBook::tabCaption(c.title), c.caption) << c.title.toStdString();
}

TEST_F(TabBookTest, TitleOfTheCurrentTabNamesTheWindow)
{
    book.NewP();
    book.WebBrowser1_TitleChange(1, QStringLiteral("网页标题很长的例子"));
    EXPECT_EQ(strip.windowCaption, QStringLiteral("网页标题很长的例子"));
    EXPECT_EQ(strip.captions.at(1), QStringLiteral("网页标题很"));

    // A page loading in a background tab renames its tab only.
    book.WebBrowser1_TitleChange(0, QStringLiteral("后台页面"));
    EXPECT_EQ(strip.captions.at(0), QStringLiteral("后台页面"));
    EXPECT_EQ(strip.windowCaption, QStringLiteral("网页标题很长的例子"));

    // A view that has no tab any more changes nothing.
    book.WebBrowser1_TitleChange(7, QStringLiteral("没有标签"));
    EXPECT_EQ(strip.captions, (QStringList{QStringLiteral("后台页面"), QStringLiteral("网页标题很")}));
}

TEST_F(TabBookTest, SteppingStopsAtTheEnds)
{
    book.NewP();
    book.NewP();
    ASSERT_TRUE(book.TabStrip1_Click(1));
    EXPECT_FALSE(book.goback_Click()) << "\"<\" on the first tab";
    EXPECT_EQ(book.CurBrowserIndex(), 0);
    EXPECT_TRUE(book.GoForward_Click());
    EXPECT_TRUE(book.GoForward_Click());
    EXPECT_EQ(book.CurBrowserIndex(), 2);
    EXPECT_FALSE(book.GoForward_Click()) << "\">\" on the last tab";
    EXPECT_EQ(book.CurBrowserIndex(), 2);
    EXPECT_TRUE(book.goback_Click());
    EXPECT_EQ(book.CurBrowserIndex(), 1);
    expectConsistent();
}

// Timer2's firing is what separates the two releases: driving it directly
// stands for the seconds between them.
TEST_F(TabBookTest, TwoReleasesOnOneTabWithinTheWindowCloseIt)
{
    struct Case
    {
        const char *name;
        bool timerFiresBetween; // 6 s apart: the 5 s window ended in between
        int secondPosition;
        QList<qint16> after;
    };
    const Case cases[] = {
        {"four_seconds_apart_same_tab", false, 2, {0, 2}},
        {"six_seconds_apart_same_tab", true, 2, {0, 1, 2}},
        {"second_release_on_another_tab", false, 3, {0, 1, 2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPrompts answers;
        TabBook tabs([](qint16) { return false; }, answers, 5000);
        tabs.NewP();
        tabs.NewP();
        tabs.TabStrip1_Click(2);
        tabs.TabStrip1_MouseUp(2);
        EXPECT_TRUE(tabs.isTimer2Active());
        if (c.timerFiresBetween)
            tabs.Timer2_Timer();
        tabs.TabStrip1_Click(c.secondPosition);
        tabs.TabStrip1_MouseUp(c.secondPosition);
        EXPECT_EQ(tabs.TabList(), c.after);
        EXPECT_EQ(tabs.isTimer2Active(), c.after.size() == 3) << "a close ends the window, a release starts one";
    }
}
