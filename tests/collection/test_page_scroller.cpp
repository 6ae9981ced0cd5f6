// The scrollers' end rules on a scripted page: no browser, so every rule runs
// in milliseconds and a page can grow, load and ask exactly when a test says.
#include "qt_printers.h"
#include "scripted_page.h"
#include "test_app.h"

#include "collection/batch/page_scroller.h"

#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Which end signal a run gave, once one came.
QString endOf(PageScroller &scroller, int timeoutMs = 30000)
{
    QSignalSpy arrived(&scroller, &PageScroller::arrived);
    QSignalSpy timedOut(&scroller, &PageScroller::timedOut);
    QSignalSpy lost(&scroller, &PageScroller::pageLost);
    if (!waitUntil([&] { return arrived.size() + timedOut.size() + lost.size() > 0; }, timeoutMs))
        return QStringLiteral("no end");
    return arrived.size() ? QStringLiteral("arrived") : timedOut.size() ? QStringLiteral("timedOut") : QStringLiteral("lost");
}

FastScroller::Timing quickTiming()
{
    FastScroller::Timing timing;
    timing.pollMs = 1;
    timing.settleMs = 40;
    timing.requestLimitMs = 10000;
    timing.maxScrollMs = 60000;
    return timing;
}

} // namespace

TEST(FastScroller, GoesAViewAtATimeToTheEndOfAStillPage)
{
    ScriptedPage page;
    page.height = 4500;
    FastScroller scroller(page, quickTiming());
    scroller.start(page.height);
    EXPECT_EQ(endOf(scroller), QStringLiteral("arrived"));
    EXPECT_EQ(page.scrolls, (QList<double>{1000, 2000, 3000, 3500}));
}

// A page whose description chunk is asked for by its own script as the end
// comes into view, and arrives after the answer's delay: the item must not
// end while that request is on its way, whatever the settle time.
struct HeldEnd
{
    const char *name;
    int answerMs;        // the chunk's answer delay
    qint64 requestAgeMs; // how old the request already is when it starts counting
    bool grows;          // the answer makes the page longer
    double endBottom;    // where the scroller must have been before it ends
};
ZORVANE_PRINT_AS_NAME(HeldEnd)

class FastScrollerEnd : public ::testing::TestWithParam<HeldEnd> {};

TEST_P(FastScrollerEnd, WaitsForThePagesOwnRequestsAndWhatTheyBring)
{
    const HeldEnd c = GetParam();
    ScriptedPage page;
    page.height = 3000;
    page.whenBottomReaches(3000, [&c](ScriptedPage &p) {
        p.startRequest(QStringLiteral("chunk"), c.requestAgeMs);
        QTimer::singleShot(c.answerMs, &p, [&p, &c] {
            p.finishRequest(QStringLiteral("chunk"));
            if (c.grows)
                p.height += 2000;
        });
    });
    FastScroller::Timing timing = quickTiming();
    timing.requestLimitMs = 400;
    FastScroller scroller(page, timing);
    scroller.start(page.height);
    EXPECT_EQ(endOf(scroller), QStringLiteral("arrived"));
    EXPECT_EQ(page.y + page.viewport, c.endBottom);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, FastScrollerEnd,
    ::testing::Values(
        // Far longer than the settle time: the growth is still scrolled through.
        HeldEnd{"answer_after_the_settle_time", 250, 0, true, 5000},
        HeldEnd{"answer_that_adds_nothing", 250, 0, false, 3000},
        // A request past the limit (a long poll) no longer holds the end: the
        // answer that comes later is not waited for.
        HeldEnd{"request_older_than_the_limit", 5000, 1000, true, 3000}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FastScroller, ARequestThatNeverEndsHoldsTheItemOnlyUpToTheLimit)
{
    ScriptedPage page;
    page.height = 2000;
    page.startRequest(QStringLiteral("long-poll"));
    FastScroller::Timing timing = quickTiming();
    timing.requestLimitMs = 300;
    FastScroller scroller(page, timing);
    QSignalSpy arrived(&scroller, &PageScroller::arrived);
    scroller.start(page.height);
    // Arrived, not cut off by the whole page's cap.
    EXPECT_EQ(endOf(scroller), QStringLiteral("arrived"));
}

TEST(FastScroller, AGrowthOrAPictureAfterTheQuietStartsTheWaitAgain)
{
    // Each change comes shortly before the settle time would have ended the
    // wait; the end must come after the last of them.
    ScriptedPage page;
    page.height = 2000;
    FastScroller::Timing timing = quickTiming();
    timing.settleMs = 500;
    FastScroller scroller(page, timing);
    bool allDone = false;
    page.whenBottomReaches(2000, [&](ScriptedPage &p) {
        QTimer::singleShot(200, &p, [&p] { p.loading = 1; });
        QTimer::singleShot(400, &p, [&p] { p.loading = 0; });
        QTimer::singleShot(700, &p, [&p] { p.startRequest(QStringLiteral("late")); });
        QTimer::singleShot(800, &p, [&p] { p.finishRequest(QStringLiteral("late")); });
        QTimer::singleShot(1100, &p, [&p, &allDone] {
            p.height += 1000;
            allDone = true;
        });
    });
    scroller.start(page.height);
    EXPECT_EQ(endOf(scroller), QStringLiteral("arrived"));
    EXPECT_TRUE(allDone);
    EXPECT_EQ(page.y + page.viewport, 3000);
}

TEST(FastScroller, EndsAtTheCapOnAPageThatKeepsGrowingAndLosesAPageThatStopsAnswering)
{
    ScriptedPage growing;
    growing.height = 2000;
    QTimer grow;
    QObject::connect(&grow, &QTimer::timeout, &growing, [&growing] { growing.height += 3000; });
    grow.start(5);
    FastScroller::Timing timing = quickTiming();
    timing.maxScrollMs = 300;
    FastScroller capped(growing, timing);
    capped.start(growing.height);
    EXPECT_EQ(endOf(capped), QStringLiteral("timedOut"));

    ScriptedPage silent;
    silent.onTick(3, [](ScriptedPage &p) { p.answers = false; });
    FastScroller lost(silent, quickTiming());
    lost.start(silent.height);
    EXPECT_EQ(endOf(lost), QStringLiteral("lost"));
}

TEST(FastScroller, ReportsDescriptionPicturesAsTheyGetTheirAddresses)
{
    ScriptedPage page;
    page.height = 3000;
    page.whenBottomReaches(2000, [](ScriptedPage &p) { p.pictures << QStringLiteral("http://p/1.jpg"); });
    page.whenBottomReaches(3000, [](ScriptedPage &p) { p.pictures << QStringLiteral("http://p/2.jpg"); });
    FastScroller scroller(page, quickTiming());
    QSignalSpy seen(&scroller, &PageScroller::picturesSeen);
    scroller.start(page.height);
    EXPECT_EQ(endOf(scroller), QStringLiteral("arrived"));
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen.last().at(0).toStringList(), (QStringList{QStringLiteral("http://p/1.jpg"), QStringLiteral("http://p/2.jpg")}));
}

TEST(StandardScroller, DoublesItsStepEveryFifthTickWhileThePageStaysTheSame)
{
    ScriptedPage page;
    page.height = 1000000;
    page.viewport = 0; // so that every scroll is seen whole
    StandardScroller scroller(page, 1, 60000);
    QList<int> steps;
    QObject::connect(&scroller, &PageScroller::progressed, &scroller,
                     [&] { steps << scroller.PickStep(); });
    scroller.start(page.height);
    ASSERT_TRUE(waitUntil([&] { return steps.size() >= 16; }));
    scroller.stop();
    // The check after every fifth scroll doubles the step for the next ones.
    EXPECT_EQ(steps.mid(0, 16), (QList<int>{10, 10, 10, 10, 20, 20, 20, 20, 20, 40, 40, 40, 40, 40, 80, 80}));
}

TEST(StandardScroller, ComparesWithTheHeightThePageHasNowNotTheOneItHadAtTheLastCheck)
{
    // 55 px: ticks 1–5 scroll by 10 to 50, the check at the fifth doubles the
    // step, and the page grows before tick 6, between two checks. Against the
    // height of the last check (55) the scroll at 70 would end the item short.
    ScriptedPage page;
    page.height = 55;
    page.viewport = 0;
    page.onTick(7, [](ScriptedPage &p) { p.height = 5000; });
    StandardScroller scroller(page, 1, 60000);
    scroller.start(page.height);
    EXPECT_EQ(endOf(scroller), QStringLiteral("arrived"));
    // Scrolled on to the end of the grown page.
    EXPECT_EQ(page.y, 5000);
}

TEST(StandardScroller, EndsAtTheCapAndLosesAPageThatStopsAnswering)
{
    ScriptedPage endless;
    endless.height = 1e12;
    StandardScroller capped(endless, 1, 200);
    capped.start(endless.height);
    EXPECT_EQ(endOf(capped), QStringLiteral("timedOut"));

    ScriptedPage silent;
    silent.onTick(4, [](ScriptedPage &p) { p.answers = false; });
    StandardScroller lost(silent, 1, 60000);
    lost.start(silent.height);
    EXPECT_EQ(endOf(lost), QStringLiteral("lost"));
}
