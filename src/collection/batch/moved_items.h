#pragma once

#include "lists/item_lines.h"

#include <QList>
#include <QString>

// Items whose page moved the reader elsewhere. An item taken off sale moves
// only its own page; a wall (a verification or login page) moves every item
// page. The rule tells the two apart by what an item page known to load does:
// loaded again after the move, it either still loads (the item is gone) or
// moves too (a wall).
//
// Several collectors make moves and loads arrive out of order, so each gets a
// stamp from one clock: a page speaks for a moved item only when it was asked
// for after the move was seen. With no item page known in this run, moved
// items wait for one; three in a row, in taking order and with no item taken
// before them still loading, are checked against the item downloaded last,
// and without one they are a wall.
class MovedItems
{
public:
    struct Item
    {
        PendingLine taken;   // as it was taken from the pending list
        QString movedTo;     // where its page moved the reader
        quint64 ticket = 0;  // the order it was taken in
        quint64 movedAt = 0; // when the move was seen (a stamp)
    };
    // What the batch does about the items waiting: nothing yet, load a page
    // known to be an item page to decide, or hold them at a wall.
    enum class Next { Wait, Check, Wall };

    static constexpr int WallAfter = 3;

    // Requests and moves in the one order they happened.
    quint64 stamp() { return ++m_clock; }

    // A run (a start of the batch) knows no item page yet.
    void startRun();
    // An item page loaded as one, asked for at `requestedAt`: the items moved
    // before that are taken off sale (returned).
    QList<Item> itemPageLoaded(const QString &address, quint64 requestedAt);
    // An item's page moved the reader: it waits for a verdict.
    void moved(const Item &item);

    // What to do now. oldestLoading: the ticket of the oldest item whose page
    // has not answered yet (0: none). queueEnded: nothing is left to take and
    // no item is under way. lastDownloaded: the address of the item
    // downloaded last (any run), empty when there is none.
    Next next(quint64 oldestLoading, bool queueEnded, const QString &lastDownloaded) const;
    // The page a check loads: the item page known in this run, or else the
    // item downloaded last.
    QString checkPage(const QString &lastDownloaded) const { return m_known.isEmpty() ? lastDownloaded : m_known; }
    // A check was asked for at `at`. One at a time.
    void checkStarted(quint64 at) { m_checkAt = at; }
    bool isChecking() const { return m_checkAt != 0; }
    // The checked page loaded as an item page: the items moved before the
    // check was asked for are taken off sale (returned).
    QList<Item> checkPassed(const QString &address);
    // The checked page did not load: nothing was learned. Wall when that
    // leaves too many items undecided.
    Next checkFailed();
    // The checked page moved too: a wall. The items waiting are returned.
    QList<Item> checkMoved();
    // No new item is taken while a check runs or a wall is suspected: at a
    // wall each would only move as well.
    bool holdsTaking() const;

    QString knownPage() const { return m_known; }
    // The items waiting for a verdict, in the order they were taken.
    const QList<Item> &waiting() const { return m_waiting; }
    QList<Item> takeAll() { return std::exchange(m_waiting, {}); }
    bool isEmpty() const { return m_waiting.isEmpty(); }

private:
    QList<Item> takeMovedBefore(quint64 at);
    // Some item moved after the last check was asked for.
    bool uncovered() const;

    quint64 m_clock = 0;
    QString m_known;
    QList<Item> m_waiting;
    quint64 m_checkAt = 0;     // the check under way; 0: none
    quint64 m_lastCheckAt = 0; // the last check asked for in this run
};
