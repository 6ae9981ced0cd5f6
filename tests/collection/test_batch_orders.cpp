// Several collectors meet orderings one collector never does: pages answer
// out of taking order, a wall starts between two requests, two lines of one
// page are taken at once. The test holds answers and releases them in the
// order it chooses; every save of listdata.txt is audited.
#include "qt_printers.h"
#include "scripted_batch.h"

namespace {

// Which items' pages moved the reader, with several collectors and the
// answers in a chosen order.
struct MovedOrder
{
    const char *name;
    int collectors;
    // A letter per pending line: G an item page, g one whose answer is held
    // until every other line has been answered, S taken off sale (moved to the shop).
    QString items;
    bool downloadedBefore; // an item downloaded in an earlier run, whose page still loads
    QString box;           // positions of the lines back in the address box
    QString pending;       // positions of the lines left on top of the pending list
    int downloaded;        // items of this run listed as downloaded
    int walls;
};
ZORVANE_PRINT_AS_NAME(MovedOrder)

class MovedAcrossCollectors : public ScriptedBatch, public ::testing::WithParamInterface<MovedOrder> {};

QString positions(const QStringList &numbers)
{
    QString text;
    for (const QString &number : numbers)
        text += number.mid(1);
    return text;
}

} // namespace

TEST_P(MovedAcrossCollectors, OnlyAWallStopsTheRunWhateverOrderThePagesAnswerIn)
{
    const MovedOrder &c = GetParam();
    rebuild(quick(), c.collectors);
    if (c.downloadedBefore) {
        serveGood(900, QStringLiteral("早先的宝贝"));
        downloadedBefore(QStringLiteral("E|早先的宝贝|/out/E|") + item(900));
    }
    QString held;
    for (int k = 1; k <= c.items.size(); ++k) {
        const QChar kind = c.items.at(k - 1);
        if (kind == u'S')
            serveMoved(item(k), shop());
        else
            serveGood(k, QStringLiteral("宝贝%1").arg(k), kind == u'g' ? ScriptedPage::Load::Held : ScriptedPage::Load::Page);
        if (kind == u'g')
            held = item(k);
        queue(QStringLiteral("M%1").arg(k), item(k));
    }
    Run run = start();
    if (!held.isEmpty()) {
        // Held until every other line was taken and answered: its collector
        // is then the only one busy (with one collector, at once).
        ASSERT_TRUE(c.collectors == 1 || waitFor([&] {
            const auto &all = batch->collectorList();
            return lists.readyDownList().count() == 0
                && std::count_if(all.cbegin(), all.cend(), [](const Collector *x) { return x->isBusy(); }) == 1;
        }));
        release(held);
    }
    ASSERT_TRUE(waitFor([&] { return run.over(); }));

    EXPECT_EQ(positions(boxNumbers()), c.box) << lists.AddUrlText().toStdString();
    EXPECT_EQ(positions(pendingNumbers()), c.pending) << "in the order they were taken";
    EXPECT_EQ(lists.AlreadyDownedList().count() - (c.downloadedBefore ? 1 : 0), c.downloaded);
    EXPECT_EQ(run.walls->size(), c.walls);
    expectAuditClean();
}

INSTANTIATE_TEST_SUITE_P(
    Orders, MovedAcrossCollectors,
    ::testing::Values(
        // The slow good item answers last: one collector's order is "good, then
        // three sold out", and so is the outcome.
        MovedOrder{"slow_good_then_three_sold_out_4", 4, QStringLiteral("gSSS"), false, QStringLiteral("234"), {}, 1, 0},
        MovedOrder{"slow_good_then_three_sold_out_1", 1, QStringLiteral("gSSS"), false, QStringLiteral("234"), {}, 1, 0},
        // Three sold out on top of a restart: the item downloaded last tells.
        MovedOrder{"three_sold_out_on_top_3", 3, QStringLiteral("SSSG"), true, QStringLiteral("123"), {}, 1, 0},
        MovedOrder{"three_sold_out_on_top_1", 1, QStringLiteral("SSSG"), true, QStringLiteral("123"), {}, 1, 0},
        MovedOrder{"sold_out_then_good_3", 3, QStringLiteral("SG"), false, QStringLiteral("1"), {}, 1, 0},
        MovedOrder{"sold_out_between_good_3", 3, QStringLiteral("GSG"), false, QStringLiteral("2"), {}, 2, 0},
        // Nothing tells a wall from three sold-out items: nothing was ever
        // downloaded and no item page loads. The run stops, the items on top.
        MovedOrder{"only_sold_out_nothing_downloaded_1", 1, QStringLiteral("SS"), false, {}, QStringLiteral("12"), 0, 1},
        MovedOrder{"three_sold_out_nothing_downloaded_4", 4, QStringLiteral("SSSS"), false, {}, QStringLiteral("1234"), 0, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScriptedBatch, TheWallsThresholdIsThreeMovedItemsInTakingOrder)
{
    // No item page of this run and nothing downloaded: two moved items wait
    // for the next item page; the third makes a wall before a fourth is asked for.
    for (int k = 1; k <= 5; ++k) {
        serveMoved(item(k), check());
        queue(QStringLiteral("W%1").arg(k), item(k));
    }
    EXPECT_EQ(runToEnd(), 1);
    EXPECT_EQ(requests(item(3)), 1);
    EXPECT_EQ(requests(item(4)), 0) << "no item is taken past the third";
    EXPECT_EQ(pendingNumbers(), (QStringList{"W1", "W2", "W3", "W4", "W5"}));
    EXPECT_EQ(logged(QStringLiteral("没有已采集的宝贝页面可供核对")), 1);
    expectAuditClean();
}

TEST_F(ScriptedBatch, AWallThatStartsBetweenTwoRequestsIsProvenAndPausesTheRun)
{
    // Item 1 is asked for before the wall and answers last; items 2 and 3 are
    // answered by the wall. Item 1 was asked for before they moved: it says
    // nothing about them, and its own page, checked again, meets the wall.
    rebuild(quick(), 2);
    serveGood(1, QStringLiteral("墙前宝贝"), ScriptedPage::Load::Held);
    serveGood(2, QStringLiteral("墙后宝贝"), ScriptedPage::Load::Held);
    serveMoved(item(3), check());
    for (const QString &itemNo : {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")})
        queue(itemNo, item(itemNo.mid(1).toInt()));
    Run run = start();
    ASSERT_TRUE(waitFor([&] { return pages[0]->holds(item(1)) && pages[1]->holds(item(2)); }));
    serveMoved(item(2), check());
    release(item(2));
    ASSERT_TRUE(waitFor([&] { return logOf(QStringLiteral("A3")).filter(QStringLiteral("页面被转到")).size() == 1; }));
    release(item(1));
    serveMoved(item(1), check()); // from now on
    ASSERT_TRUE(waitFor([&] { return run.over(); }));

    EXPECT_EQ(run.walls->size(), 1);
    EXPECT_EQ(boxNumbers(), QStringList()) << "nothing was taken for sold out";
    EXPECT_EQ(pendingNumbers(), (QStringList{"A2", "A3"}));
    EXPECT_EQ(downloadedNumbers(), QStringList{"A1"});
    EXPECT_EQ(requests(item(1)), 2) << "checked once";
    expectAuditClean();
}
