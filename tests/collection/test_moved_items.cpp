// The moved-page rule on its own: which page may speak for which move, and
// what the batch does next, with the order of requests and moves chosen here.
#include "collection/batch/moved_items.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

using Next = MovedItems::Next;
using Outlook = MovedItems::Outlook;

QString page(quint64 id)
{
    return QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(id);
}

MovedItems::Item movedItem(MovedItems &rule, quint64 ticket)
{
    return {PendingLine{QStringLiteral("M%1").arg(ticket), page(ticket)}, QStringLiteral("https://shop.zorvane.com/"),
            ticket, rule.stamp()};
}

QList<quint64> tickets(const QList<MovedItems::Item> &items)
{
    QList<quint64> t;
    for (const MovedItems::Item &item : items)
        t << item.ticket;
    return t;
}

const QString Known = page(1);
const QStringList Last{page(900)};
const Outlook Nothing{};           // no page loading, nothing more to take
const Outlook MoreToTake{0, true}; // the next item page may still decide

} // namespace

TEST(MovedItems, APageSpeaksOnlyForTheMovesSeenBeforeItWasAskedFor)
{
    MovedItems rule;
    const quint64 asked1 = rule.stamp(); // item 1's page asked for
    rule.stamp();                        // item 2's
    rule.moved(movedItem(rule, 2));
    // Item 1's page was asked for before item 2 moved: it may have been
    // answered before a wall came up, so it decides nothing about item 2.
    EXPECT_TRUE(rule.itemPageLoaded(Known, asked1).isEmpty());
    EXPECT_EQ(rule.knownPage(), Known);
    EXPECT_EQ(rule.next(MoreToTake, {}), Next::Check);
    EXPECT_EQ(rule.checkPage({}), Known);
    rule.checkStarted(Known, rule.stamp());
    EXPECT_TRUE(rule.holdsTaking()) << "no item is taken while a check runs";
    EXPECT_EQ(rule.next(MoreToTake, {}), Next::Wait) << "one check at a time";
    rule.moved(movedItem(rule, 3)); // moved while the check ran
    EXPECT_EQ(tickets(rule.checkPassed()), QList<quint64>{2});
    EXPECT_EQ(tickets(rule.waiting()), QList<quint64>{3});
    EXPECT_EQ(rule.next(MoreToTake, {}), Next::Check) << "the later move needs a check of its own";
    // An item page asked for after the move speaks for it.
    const quint64 asked4 = rule.stamp();
    EXPECT_EQ(tickets(rule.itemPageLoaded(Known, asked4)), QList<quint64>{3});
    EXPECT_TRUE(rule.isEmpty());
}

TEST(MovedItems, WithoutAnItemPageThreeMovedInTakingOrderAreCheckedAgainstTheLastDownloadOrAWall)
{
    MovedItems rule;
    rule.startRun();
    for (const quint64 ticket : {4, 2}) // answered out of taking order
        rule.moved(movedItem(rule, ticket));
    EXPECT_EQ(tickets(rule.waiting()), (QList<quint64>{2, 4}));
    EXPECT_EQ(rule.next(MoreToTake, {}), Next::Wait) << "two wait for the next item page";
    EXPECT_EQ(rule.next(Nothing, Last), Next::Check) << "no item page can come: checked at once";
    EXPECT_EQ(rule.next(Nothing, {}), Next::Wall) << "nothing to check against";
    EXPECT_FALSE(rule.holdsTaking());
    rule.moved(movedItem(rule, 3));
    EXPECT_TRUE(rule.holdsTaking()) << "a fourth would only move too";
    EXPECT_EQ(rule.next(MoreToTake, {}), Next::Wall);
    EXPECT_EQ(rule.next(MoreToTake, Last), Next::Check);
    EXPECT_EQ(rule.checkPage(Last), Last.first());
    // Item 1, taken before them, has not answered: it may be the item page.
    EXPECT_EQ(rule.next(Outlook{1, true}, {}), Next::Wait);
    // One taken after the third does not hold the verdict up.
    EXPECT_EQ(rule.next(Outlook{5, true}, {}), Next::Wall);
}

TEST(MovedItems, ASecondLineOfAWaitingPageFollowsItsVerdictAndCountsAsNoOtherPage)
{
    MovedItems rule;
    rule.moved(movedItem(rule, 1));
    EXPECT_FALSE(rule.follow(PendingLine{QStringLiteral("X"), page(7)}, 2)) << "no item of that page waits";
    // The same page over https and with a query is the same page.
    ASSERT_TRUE(rule.follow(PendingLine{QStringLiteral("M1b"), QStringLiteral("https://DETAIL.zorvane.com/offer/1.html?x=1")}, 2));
    ASSERT_TRUE(rule.follow(PendingLine{QStringLiteral("M1c"), page(1)}, 3));
    EXPECT_EQ(tickets(rule.waiting()), (QList<quint64>{1, 2, 3}));
    EXPECT_FALSE(rule.holdsTaking()) << "one page three times is not three pages moved";
    EXPECT_EQ(rule.next(MoreToTake, Last), Next::Wait);
    // The next item page speaks for all three lines at once.
    EXPECT_EQ(tickets(rule.itemPageLoaded(page(5), rule.stamp())), (QList<quint64>{1, 2, 3}));
}

TEST(MovedItems, AReferenceThatMovedTooIsPassedForTheNextDownloadedPageUpToThree)
{
    struct Case
    {
        const char *name;
        QList<bool> loads; // what each reference does, newest first: loads as an item page, or moves
        Next verdict;      // after the last reference tried
        int tried;
    };
    const QList<Case> cases{
        {"newest_still_on_sale", {true}, Next::Wait, 1},
        {"newest_gone_the_one_before_on_sale", {false, true}, Next::Wait, 2},
        {"three_gone", {false, false, false}, Next::Wall, 3},
        {"only_one_downloaded_and_gone", {false}, Next::Wall, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        MovedItems rule;
        for (const quint64 ticket : {1, 2, 3})
            rule.moved(movedItem(rule, ticket));
        // Newest first; a waiting page and a repeated page are never references.
        QStringList downloaded{page(1), page(901), page(901)};
        for (qsizetype k = 1; k < c.loads.size(); ++k)
            downloaded << page(901 + k);
        int tried = 0;
        Next next = rule.next(Nothing, downloaded);
        while (next == Next::Check) {
            const QString reference = rule.checkPage(downloaded);
            EXPECT_EQ(reference, page(901 + tried));
            rule.checkStarted(reference, rule.stamp());
            if (c.loads.value(tried++))
                EXPECT_EQ(tickets(rule.checkPassed()), (QList<quint64>{1, 2, 3}));
            else
                rule.checkRefuted();
            EXPECT_EQ(rule.holdsTaking(), !rule.isEmpty()) << "no item is taken while references are tried";
            next = rule.next(MoreToTake, downloaded);
        }
        EXPECT_EQ(next, c.verdict);
        EXPECT_EQ(tried, c.tried);
    }
}

TEST(MovedItems, TheKnownPageMovingIsNoWallWhileAnOlderDownloadStillLoads)
{
    MovedItems rule;
    rule.itemPageLoaded(Known, rule.stamp());
    rule.moved(movedItem(rule, 2));
    const QStringList downloaded{page(900), page(901)};
    ASSERT_EQ(rule.next(MoreToTake, downloaded), Next::Check);
    rule.checkStarted(rule.checkPage(downloaded), rule.stamp());
    rule.checkRefuted();
    EXPECT_TRUE(rule.knownPage().isEmpty()) << "the page known to load does not any more";
    EXPECT_EQ(rule.checkPage(downloaded), page(900));
    // Cut short by something that is nobody's verdict: the same reference again.
    rule.checkStarted(page(900), rule.stamp());
    rule.checkAbandoned();
    EXPECT_EQ(rule.checkPage(downloaded), page(900));
    EXPECT_EQ(rule.refuted(), 1);
}
