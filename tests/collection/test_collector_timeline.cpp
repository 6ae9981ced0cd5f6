// The collectors' timeline of a run whose answer times the test chooses: the
// batch's clock is the test's, and it moves only between answers, so every
// step's length is known.
#include "collector_timeline.h"
#include "qt_printers.h"
#include "scripted_batch.h"

TEST_F(ScriptedBatch, TheTimelineSumsSayWhereTheCollectorsTimeWent)
{
    BatchCycle::Intervals intervals = quick();
    intervals.loadGapMs = 300;
    rebuild(intervals, 2);
    // D1's page turns out dead; G2 is read before it and waits for its folder's turn.
    serveGood(1, QStringLiteral("甲"), ScriptedPage::Load::Held);
    serveGood(2, QStringLiteral("乙"), ScriptedPage::Load::Held);
    serveGood(3, QStringLiteral("丙"), ScriptedPage::Load::Held);
    queue(QStringLiteral("D1"), item(1));
    queue(QStringLiteral("G2"), item(2));
    queue(QStringLiteral("G3"), item(3));
    CollectorTimeline timeline(2, 2);
    timeline.follow(*batch, lists.readyDownList(), [this] { return clockMs; });
    QSignalSpy gaps(batch.get(), &BatchCycle::loadGapWaited);
    const auto stepOf = [this](int n) {
        return batch->collectorList().size() > n ? batch->collectorList().at(n)->step() : Collector::Step::Idle;
    };

    Run run = start();
    ASSERT_TRUE(waitFor([&] { return !gaps.isEmpty(); })) << "the second load waits for the gap";
    clockMs = 300;
    ASSERT_TRUE(waitFor([&] { return stepOf(1) == Collector::Step::Loading; }));
    clockMs = 1000;
    // A whole core spun by one process, both busy, while the items loaded.
    timeline.cpu(2.0, 1.0, QStringLiteral("renderer"), clockMs);
    release(item(2));
    ASSERT_TRUE(waitFor([&] { return stepOf(1) == Collector::Step::WaitingForTurn; }));
    clockMs = 2500;
    serve(item(1), PageSnapshot{}, ScriptedPage::Load::Fails);
    release(item(1));
    ASSERT_TRUE(waitFor([&] { return requests(item(3)) == 1; }));
    clockMs = 3000;
    release(item(3));
    ASSERT_TRUE(waitFor([&] { return run.over(); }));
    timeline.cpu(0.5, 0.3, QStringLiteral("main"), clockMs);
    timeline.finish(clockMs);

    EXPECT_EQ(downloadedNumbers(), (QStringList{"G2", "G3"}));
    EXPECT_EQ(boxNumbers(), QStringList{"D1"});
    const CollectorTimeline::Sums s = timeline.sums();
    const struct { const char *what; qint64 got, expected; } rows[] = {
        {"run", s.runMs, 3000},
        {"dead page: D1 from its load to its end", s.deadPage, 2500},
        {"loading: G2 released at 1000, G3 at 3000", s.loading, 700 + 500},
        {"folder turn: G2 until D1 ended", s.folderTurn, 1500},
        {"idle for the gap before G2", s.idleGap, 300},
        {"idle otherwise while items waited", s.idleBatch, 0},
        {"idle with nothing left: one collector while G3 loads", s.idleDrained, 500},
        {"network checks outside dead pages", s.network, 0},
        {"lost", s.lost(), 2500 + 1500 + 300},
        {"every core busy", s.busyCoresMs, 1000},
        {"one process on a whole core", s.oneCoreSpinMs, 1000},
        {"work on busy cores: G2 loading, D1's time is the dead page's", s.workOnBusyCores, 700},
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.got, row.expected) << row.what;
    EXPECT_DOUBLE_EQ(s.meanCores, (2.0 * 1000 + 0.5 * 2000) / 3000);
    EXPECT_TRUE(timeline.lines().startsWith(QStringLiteral("0\tpending\t3\n0\tcollector 0\tloading\n")))
        << timeline.lines().toStdString();
    expectAuditClean();
}

namespace {

// Two collectors on two cores from 0 to 1000 ms, fed directly.
struct TimelineCase
{
    const char *name;
    std::function<void(CollectorTimeline &)> feed;
    qint64 loading, deadPage, idleGap, idleBatch, idleDrained, busyCoresMs, workOnBusyCores, oneCoreSpinMs;
};
ZORVANE_PRINT_AS_NAME(TimelineCase)

class TimelineSums : public ::testing::TestWithParam<TimelineCase> {};

using Step = Collector::Step;

} // namespace

TEST_P(TimelineSums, EachCollectorMillisecondIsCountedOnceUnderItsCause)
{
    const TimelineCase &c = GetParam();
    CollectorTimeline timeline(2, 2);
    timeline.start(0);
    c.feed(timeline);
    timeline.finish(1000);
    const CollectorTimeline::Sums s = timeline.sums();
    EXPECT_EQ((QList<qint64>{s.loading, s.deadPage, s.idleGap, s.idleBatch, s.idleDrained, s.busyCoresMs,
                             s.workOnBusyCores, s.oneCoreSpinMs}),
              (QList<qint64>{c.loading, c.deadPage, c.idleGap, c.idleBatch, c.idleDrained, c.busyCoresMs,
                             c.workOnBusyCores, c.oneCoreSpinMs}));
    EXPECT_EQ(s.loading + s.deadPage + s.idleGap + s.idleBatch + s.idleDrained, 2 * 1000) << "every millisecond once";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TimelineSums,
    ::testing::Values(
        TimelineCase{"a_collector_not_made_yet_idles_while_items_wait",
                     [](CollectorTimeline &t) { t.pending(2, 0); t.step(0, Step::Loading, 0); }, 1000, 0, 0, 1000, 0, 0, 0, 0},
        TimelineCase{"a_gap_with_nothing_pending_is_no_loss",
                     [](CollectorTimeline &t) { t.pending(0, 0); t.step(0, Step::Loading, 0); t.gapHeld(500, 0); },
                     1000, 0, 0, 0, 1000, 0, 0, 0},
        TimelineCase{"the_gap_then_the_batch",
                     [](CollectorTimeline &t) { t.pending(1, 0); t.step(0, Step::Loading, 0); t.gapHeld(300, 0); },
                     1000, 0, 300, 700, 0, 0, 0, 0},
        TimelineCase{"a_dead_page_from_its_load_to_its_end",
                     [](CollectorTimeline &t) {
                         t.pending(0, 0);
                         t.step(0, Step::Loading, 200);
                         t.step(0, Step::AwaitingNetwork, 700);
                         t.deadPage(0);
                         t.step(0, Step::Idle, 800);
                     },
                     0, 600, 0, 0, 1400, 0, 0, 0},
        TimelineCase{"busy_cores_from_nine_tenths",
                     [](CollectorTimeline &t) {
                         t.pending(0, 0);
                         t.step(0, Step::Loading, 0);
                         t.cpu(1.8, 0.2, QStringLiteral("a"), 500);
                         t.cpu(1.7, 0.95, QStringLiteral("b"), 1000);
                     },
                     1000, 0, 0, 0, 1000, 500, 500, 500}),
    [](const auto &info) { return std::string(info.param.name); });
