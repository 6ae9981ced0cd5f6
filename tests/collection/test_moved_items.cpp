// The moved-page rule on its own: which page may speak for which move, and
// what the batch does next, with the order of requests and moves chosen here.
#include "collection/batch/moved_items.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

using Next = MovedItems::Next;

MovedItems::Item movedItem(MovedItems &rule, quint64 ticket)
{
    return {PendingLine{QStringLiteral("M%1").arg(ticket), QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(ticket)},
            QStringLiteral("https://shop.zorvane.com/"), ticket, rule.stamp()};
}

QList<quint64> tickets(const QList<MovedItems::Item> &items)
{
    QList<quint64> t;
    for (const MovedItems::Item &item : items)
        t << item.ticket;
    return t;
}

const QString Known = QStringLiteral("http://detail.zorvane.com/offer/1.html");
const QString Last = QStringLiteral("http://detail.zorvane.com/offer/900.html");

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
    EXPECT_EQ(rule.next(0, false, QString()), Next::Check);
    rule.checkStarted(rule.stamp());
    EXPECT_TRUE(rule.holdsTaking()) << "no item is taken while a check runs";
    EXPECT_EQ(rule.next(0, false, QString()), Next::Wait) << "one check at a time";
    rule.moved(movedItem(rule, 3)); // moved while the check ran
    EXPECT_EQ(tickets(rule.checkPassed(Known)), QList<quint64>{2});
    EXPECT_EQ(tickets(rule.waiting()), QList<quint64>{3});
    EXPECT_EQ(rule.next(0, false, QString()), Next::Check) << "the later move needs a check of its own";
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
    EXPECT_EQ(rule.next(0, false, QString()), Next::Wait) << "two wait for the next item page";
    EXPECT_FALSE(rule.holdsTaking());
    rule.moved(movedItem(rule, 3));
    EXPECT_TRUE(rule.holdsTaking()) << "a fourth would only move too";
    EXPECT_EQ(rule.next(0, false, QString()), Next::Wall);
    EXPECT_EQ(rule.next(0, false, Last), Next::Check);
    EXPECT_EQ(rule.checkPage(Last), Last);
    // Item 1, taken before them, has not answered: it may be the item page.
    EXPECT_EQ(rule.next(1, false, QString()), Next::Wait);
    // One taken after the third does not hold the verdict up.
    EXPECT_EQ(rule.next(5, false, QString()), Next::Wall);

    // The last download's page fails to load: three are undecided, a wall.
    rule.checkStarted(rule.stamp());
    EXPECT_EQ(rule.checkFailed(), Next::Wall);
}

TEST(MovedItems, AtTheQueuesEndEveryWaitingItemIsCheckedOnceMoreOrHeldAtTheWall)
{
    MovedItems rule;
    rule.moved(movedItem(rule, 1));
    EXPECT_EQ(rule.next(0, true, QString()), Next::Wall) << "nothing to check against";
    EXPECT_EQ(rule.next(0, true, Last), Next::Check);
    // A failed check leaves one item waiting; nothing new came, so no check
    // is asked for again until the queue ends.
    rule.itemPageLoaded(Known, 0);
    rule.moved(movedItem(rule, 2));
    rule.checkStarted(rule.stamp());
    EXPECT_EQ(rule.checkFailed(), Next::Wait);
    EXPECT_EQ(rule.next(0, false, Last), Next::Wait);
    EXPECT_EQ(rule.next(0, true, Last), Next::Check);
    // The known page moves as well: every item waiting is held at the wall.
    rule.checkStarted(rule.stamp());
    EXPECT_EQ(tickets(rule.checkMoved()), (QList<quint64>{1, 2}));
    EXPECT_FALSE(rule.isChecking());
    EXPECT_TRUE(rule.isEmpty());
}
