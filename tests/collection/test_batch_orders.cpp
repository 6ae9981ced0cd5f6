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
    // until every other line has been answered, S taken off sale (moved to
    // the shop), D a second line of the page of the S before it.
    QString items;
    // Items downloaded in earlier runs, oldest first: L still on sale, M gone
    // off sale since (its page moves to the shop too).
    QString downloadedBefore;
    bool skipDownloaded;
    QString box;     // positions of the lines back in the address box
    QString pending; // positions of the lines left on top of the pending list
    int downloaded;  // items of this run listed as downloaded
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
    batch->setSkipDownloaded(c.skipDownloaded);
    for (int r = 0; r < c.downloadedBefore.size(); ++r) {
        const int id = 900 + r;
        if (c.downloadedBefore.at(r) == u'L')
            serveGood(id, QStringLiteral("早先的宝贝%1").arg(r));
        else
            serveMoved(item(id), shop());
        downloadedBefore(QStringLiteral("E%1|早先的宝贝%1|/out/E%1|").arg(r) + item(id));
    }
    QString held;
    for (int k = 1; k <= c.items.size(); ++k) {
        const QChar kind = c.items.at(k - 1);
        if (kind == u'D') {
            queue(QStringLiteral("M%1").arg(k), item(k - 1));
            continue;
        }
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
    EXPECT_EQ(lists.AlreadyDownedList().count() - c.downloadedBefore.size(), c.downloaded);
    EXPECT_EQ(run.walls->size(), c.walls);
    expectAuditClean();
}

INSTANTIATE_TEST_SUITE_P(
    Orders, MovedAcrossCollectors,
    ::testing::Values(
        // The slow good item answers last: one collector's order is "good, then
        // three sold out", and so is the outcome.
        MovedOrder{"slow_good_then_three_sold_out_4", 4, QStringLiteral("gSSS"), {}, false, QStringLiteral("234"), {}, 1, 0},
        MovedOrder{"slow_good_then_three_sold_out_1", 1, QStringLiteral("gSSS"), {}, false, QStringLiteral("234"), {}, 1, 0},
        // Three sold out on top of a restart: the item downloaded last tells.
        MovedOrder{"three_sold_out_on_top_3", 3, QStringLiteral("SSSG"), QStringLiteral("L"), false, QStringLiteral("123"), {}, 1, 0},
        MovedOrder{"three_sold_out_on_top_1", 1, QStringLiteral("SSSG"), QStringLiteral("L"), false, QStringLiteral("123"), {}, 1, 0},
        // The item downloaded last has gone off sale too; one before it has not.
        MovedOrder{"stale_reference_older_on_sale_1", 1, QStringLiteral("SSSG"), QStringLiteral("LLM"), false, QStringLiteral("123"), {}, 1, 0},
        MovedOrder{"stale_reference_older_on_sale_4", 4, QStringLiteral("SSSG"), QStringLiteral("LMM"), false, QStringLiteral("123"), {}, 1, 0},
        // Every reference moves too (or only one exists and it moves): a wall.
        MovedOrder{"stale_reference_alone_1", 1, QStringLiteral("SSSG"), QStringLiteral("M"), false, {}, QStringLiteral("1234"), 0, 1},
        MovedOrder{"three_references_gone_3", 3, QStringLiteral("SSSG"), QStringLiteral("LMMM"), false, {}, QStringLiteral("1234"), 0, 1},
        MovedOrder{"sold_out_then_good_3", 3, QStringLiteral("SG"), {}, false, QStringLiteral("1"), {}, 1, 0},
        MovedOrder{"sold_out_between_good_3", 3, QStringLiteral("GSG"), {}, false, QStringLiteral("2"), {}, 2, 0},
        // A sold-out page queued twice with 跳过已下载 (as every watch check
        // runs): decided once, its second line follows it, the good item is reached.
        MovedOrder{"sold_out_twice_skip_1", 1, QStringLiteral("SDG"), {}, true, QStringLiteral("12"), {}, 1, 0},
        MovedOrder{"sold_out_twice_skip_3", 3, QStringLiteral("SDG"), {}, true, QStringLiteral("12"), {}, 1, 0},
        MovedOrder{"sold_out_twice_on_top_skip_3", 3, QStringLiteral("SDSDSG"), QStringLiteral("L"), true, QStringLiteral("12345"), {}, 1, 0},
        MovedOrder{"sold_out_twice_nothing_to_tell_skip_1", 1, QStringLiteral("SD"), {}, true, {}, QStringLiteral("12"), 0, 1},
        // At the queue's end the item downloaded last decides.
        MovedOrder{"two_sold_out_at_the_end_1", 1, QStringLiteral("SS"), QStringLiteral("L"), false, QStringLiteral("12"), {}, 0, 0},
        MovedOrder{"two_sold_out_at_the_end_3", 3, QStringLiteral("SS"), QStringLiteral("L"), false, QStringLiteral("12"), {}, 0, 0},
        // Nothing tells a wall from three sold-out items: nothing was ever
        // downloaded and no item page loads. The run stops, the items on top.
        MovedOrder{"only_sold_out_nothing_downloaded_1", 1, QStringLiteral("SS"), {}, false, {}, QStringLiteral("12"), 0, 1},
        MovedOrder{"three_sold_out_nothing_downloaded_4", 4, QStringLiteral("SSSS"), {}, false, {}, QStringLiteral("1234"), 0, 1}),
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

TEST_F(ScriptedBatch, WithSkipDownloadedASecondLineOfAPageUnderWayWaitsForItAndIsSkipped)
{
    for (const bool sentBack : {false, true}) {
        SCOPED_TRACE(sentBack ? "sent back on purpose: collected again" : "skipped once the first is saved");
        const int base = sentBack ? 10 : 0;
        rebuild(quick(), 3);
        batch->setSkipDownloaded(true);
        int ticks = 0;
        QObject::connect(batch->findChild<QTimer *>(QStringLiteral("PickControlTimer")), &QTimer::timeout,
                         [&ticks] { ++ticks; });
        const QString page = item(base + 1);
        serve(page, detailSnapshot(page, QStringLiteral("同页宝贝"), {}, {}), ScriptedPage::Load::Held);
        serveGood(base + 2, QStringLiteral("另一件"));
        queue(QStringLiteral("P-1"), page);
        lists.readyDownList().append(QStringLiteral("P-2|") + page + (sentBack ? QLatin1Char('|') + SentBackMarker : QString()));
        audit.queued(QStringLiteral("P-2"), page);
        queue(QStringLiteral("G-3"), item(base + 2));
        const int before = lists.AlreadyDownedList().count();
        Run run = start();
        // The page answers once the batch had every chance to take the second line.
        ASSERT_TRUE(waitFor([&] { return requests(page) == (sentBack ? 2 : 1) && ticks >= 5; }));
        release(page);
        ASSERT_TRUE(waitFor([&] { return run.over(); }));
        EXPECT_EQ(requests(page), sentBack ? 2 : 1);
        EXPECT_EQ(logOf(QStringLiteral("P-2")).contains(QStringLiteral("采集中:已下载过,跳过_") + page), !sentBack);
        EXPECT_EQ(lists.AlreadyDownedList().count() - before, sentBack ? 3 : 2);
    }
    QStringList folders = QDir(output).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    folders.sort();
    QStringList expected{S(u"另一件"), S(u"另一件1"), S(u"同页宝贝"), S(u"同页宝贝1"), S(u"同页宝贝2")};
    expected.sort();
    EXPECT_EQ(folders, expected) << "one folder for the page skipped, two for the one sent back";
    expectAuditClean();
}

TEST_F(ScriptedBatch, TwoPagesDyingMidScrollOnTwoCollectorsEndInTheBoxAfterTwoTriesEach)
{
    // Each dies after so many answers about its scrolling: early, or late
    // enough for good items to be saved between its two tries, which must
    // not make it fresh again.
    for (const int answers : {2, 40}) {
        SCOPED_TRACE(answers);
        rebuild(quick(), 2);
        const int base = answers * 10;
        for (const int id : {base + 1, base + 2})
            serve(item(id), detailSnapshot(item(id), QStringLiteral("死页%1").arg(id), {}, {}), ScriptedPage::Load::Page, answers);
        for (int id = base + 3; id <= base + 8; ++id)
            serveGood(id, QStringLiteral("好宝贝%1").arg(id));
        for (int id = base + 1; id <= base + 8; ++id)
            queue(QStringLiteral("L%1").arg(id), item(id));
        const int before = lists.AlreadyDownedList().count();
        EXPECT_EQ(runToEnd(), 0);
        EXPECT_EQ(requests(item(base + 1)), 2);
        EXPECT_EQ(requests(item(base + 2)), 2);
        QStringList box = boxNumbers().filter(QRegularExpression(QStringLiteral("^L%1\\d$").arg(base / 10)));
        box.sort();
        EXPECT_EQ(box, (QStringList{QStringLiteral("L%1").arg(base + 1), QStringLiteral("L%1").arg(base + 2)}));
        EXPECT_EQ(lists.AlreadyDownedList().count() - before, 6);
        EXPECT_EQ(logOf(QStringLiteral("L%1").arg(base + 1)).filter(QStringLiteral("无响应")),
                  (QStringList{S(u"采集中:页面无响应,读取失败,宝贝已放回待下载列表顶部_") + item(base + 1),
                               S(u"采集中:页面无响应,已放弃该页面_") + item(base + 1)}));
    }
    expectAuditClean();
}

namespace {

struct TitleOrder
{
    const char *name;
    int collectors;
    QList<int> releases; // the order the pages answer in
};
ZORVANE_PRINT_AS_NAME(TitleOrder)

class FolderNames : public ScriptedBatch, public ::testing::WithParamInterface<TitleOrder> {};

} // namespace

TEST_P(FolderNames, TitlesThatDifferByTrailingDigitsGetTheFoldersOneCollectorGives)
{
    const TitleOrder &c = GetParam();
    rebuild(quick(), c.collectors);
    const QStringList titles{QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("T1")};
    for (int k = 1; k <= 3; ++k) {
        serveGood(k, titles.at(k - 1), ScriptedPage::Load::Held);
        queue(QStringLiteral("F%1").arg(k), item(k));
    }
    Run run = start();
    for (const int k : c.releases) {
        release(item(k));
        // Read and waiting for its turn, or saved: the next page answers after it.
        ASSERT_TRUE(waitFor([&] {
            const auto &all = batch->collectorList();
            return logOf(QStringLiteral("F%1").arg(k)).contains(S(u"采集中:图片地址分析完成_") + item(k))
                || std::none_of(all.cbegin(), all.cend(), [](const Collector *x) { return x->isCollecting(); });
        }));
    }
    ASSERT_TRUE(waitFor([&] { return run.over(); }));
    QStringList folders;
    for (int k = 1; k <= 3; ++k) {
        for (const QString &line : lists.AlreadyDownedList().entries()) {
            const DownloadedLine saved = DownloadedLine::parse(line);
            if (saved.itemNo == QStringLiteral("F%1").arg(k))
                folders << QDir(output).relativeFilePath(saved.folder);
        }
    }
    EXPECT_EQ(folders, (QStringList{"T", "T1", "T11"}));
    expectAuditClean();
}

INSTANTIATE_TEST_SUITE_P(Orders, FolderNames,
                         ::testing::Values(TitleOrder{"one_collector", 1, {1, 2, 3}},
                                           TitleOrder{"three_last_first", 3, {3, 2, 1}},
                                           TitleOrder{"three_middle_last", 3, {3, 1, 2}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScriptedBatch, TheFolderTurnWaitFiresOnceForAnUnknownTitleAndNeverForAKnownOne)
{
    for (const bool known : {false, true}) {
        SCOPED_TRACE(known ? "the earlier title is known and its page long" : "the earlier page has not answered");
        QDir(output).removeRecursively();
        QDir().mkpath(output);
        BatchCycle::Intervals intervals = quick();
        // Longer than the later item takes to be read: it waits for the earlier page's age.
        intervals.folderWaitMs = 1000;
        intervals.scrollerMs = known ? 20 : 1;
        rebuild(intervals, 2);
        auto *wait = batch->findChild<QTimer *>(QStringLiteral("folderTurnWait"));
        ASSERT_NE(wait, nullptr);
        int firings = 0;
        QObject::connect(wait, &QTimer::timeout, [&firings] { ++firings; });
        const int first = known ? 21 : 31, second = first + 1;
        PageSnapshot longPage = detailSnapshot(item(first), QStringLiteral("同名"), {}, {});
        longPage.scrollHeight = 30000;
        serve(item(first), longPage, known ? ScriptedPage::Load::Page : ScriptedPage::Load::Held);
        PageSnapshot shortPage = detailSnapshot(item(second), QStringLiteral("同名"), {}, {});
        shortPage.scrollHeight = 200;
        serve(item(second), shortPage);
        queue(QStringLiteral("W%1").arg(first), item(first));
        queue(QStringLiteral("W%1").arg(second), item(second));
        Run run = start();
        if (!known) {
            // The later item passes an unknown title once the wait ran out.
            ASSERT_TRUE(waitFor([&] { return lists.AlreadyDownedList().count() == 1; }));
            release(item(first));
        }
        ASSERT_TRUE(waitFor([&] { return run.over(); }));
        EXPECT_EQ(firings, known ? 0 : 1);
        EXPECT_EQ(QDir(output).entryList(QDir::Dirs | QDir::NoDotAndDotDot), (QStringList{S(u"同名"), S(u"同名1")}));
    }
    expectAuditClean();
}

TEST_F(ScriptedBatch, APageThatHasNotAnsweredForTheFolderWaitHoldsUpOnlyTheFirstItemAfterIt)
{
    BatchCycle::Intervals intervals = quick();
    intervals.folderWaitMs = 1000; // longer than G2 takes to be read
    rebuild(intervals, 2);
    auto *wait = batch->findChild<QTimer *>(QStringLiteral("folderTurnWait"));
    ASSERT_NE(wait, nullptr);
    int firings = 0;
    QObject::connect(wait, &QTimer::timeout, [&firings] { ++firings; });
    // One collector holds the silent page; the other reads the rest one after another.
    serveGood(1, QStringLiteral("迟"), ScriptedPage::Load::Held);
    queue(QStringLiteral("D1"), item(1));
    for (int k = 2; k <= 4; ++k) {
        serveGood(k, QStringLiteral("宝贝%1").arg(k));
        queue(QStringLiteral("G%1").arg(k), item(k));
    }
    Run run = start();
    ASSERT_TRUE(waitFor([&] { return lists.AlreadyDownedList().count() == 3; }));
    EXPECT_EQ(firings, 1) << "G3 and G4 were read when D1's page was older than the wait";
    release(item(1));
    ASSERT_TRUE(waitFor([&] { return run.over(); }));
    EXPECT_EQ(downloadedNumbers(), (QStringList{"G2", "G3", "G4", "D1"}));
    expectAuditClean();
}

TEST_F(ScriptedBatch, AnAddressThatIsNoItemLinkIsRejectedWhereverItLeadsAndAHeaderLineIsNeverLoaded)
{
    rebuild(quick(), 3);
    for (int k = 1; k <= 3; ++k) {
        const QString other = QStringLiteral("http://www.zorvane.com/help/%1.html").arg(k);
        serveMoved(other, shop());
        queue(QStringLiteral("X%1").arg(k), other);
    }
    // The address box's own header line, queued as it stands.
    queue(QStringLiteral("自定义宝贝名（可选)"), QStringLiteral("宝贝url"));
    serveGood(4, QStringLiteral("好宝贝"));
    queue(QStringLiteral("G4"), item(4));
    EXPECT_EQ(runToEnd(), 0) << "three moved pages that are no item's are no wall";
    EXPECT_EQ(boxNumbers(), (QStringList{"X1", "X2", "X3", S(u"自定义宝贝名（可选)")}));
    EXPECT_TRUE(lists.AddUrlText().endsWith(S(u"宝贝url|自定义宝贝名（可选)")));
    EXPECT_EQ(logOf(S(u"自定义宝贝名（可选)")),
              (QStringList{S(u"采集中:采集地址非法,不是Zorvane宝贝下载地址_宝贝url"), S(u"采集中:本次采集结束_宝贝url")}));
    EXPECT_EQ(requests(QStringLiteral("宝贝url")), 0);
    EXPECT_EQ(downloadedNumbers(), QStringList{"G4"});
    expectAuditClean();
}
