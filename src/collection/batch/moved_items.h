#pragma once

#include "lists/item_lines.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Items whose page moved the reader elsewhere. An item taken off sale moves
// only its own page; a wall (a verification or login page) moves every item
// page. The rule tells the two apart by what an item page known to load does
// when it is loaded after the move: it still loads (the item is gone) or it
// moves too (perhaps a wall).
//
// What a verdict may use: several collectors make moves and loads arrive out
// of order, and a page answered before a wall came up proves nothing about
// items that met the wall later. So every request and every move gets a stamp
// from one clock (stamp()), and a page speaks only for the items that moved
// before it was asked for. Tickets are not a clock: they are the order items
// were taken in, and only count "three in a row".
//
// Which page to check: the item page that loaded in this run, then items
// downloaded earlier, newest first, each a different page and none of them a
// page that is waiting itself. A reference may have gone off sale since; only
// when MaxReferences of them move too (or none exists) is it a wall.
class MovedItems
{
public:
    struct Item
    {
        PendingLine taken;     // as it was taken from the pending list
        QString movedTo;       // where its page moved the reader
        quint64 ticket = 0;    // the order it was taken in
        quint64 movedAt = 0;   // when the move was seen (a stamp)
        bool follower = false; // a second line of a waiting page: never loaded, decided with it
    };
    // What the batch does about the items waiting: nothing yet, load a
    // reference page to decide, or hold them at a wall.
    enum class Next { Wait, Check, Wall };
    // What may still decide without a check.
    struct Outlook
    {
        quint64 oldestLoading = 0; // the ticket of the oldest item page not answered yet; 0: none
        bool moreToTake = false;   // a further item can be taken now
    };

    static constexpr int WallAfter = 3;
    static constexpr int MaxReferences = 3;

    quint64 stamp() { return ++m_clock; }

    // A run (a start of the batch) knows no item page yet.
    void startRun();
    // An item page loaded as one, asked for at `requestedAt`: the items moved
    // before that are taken off sale (returned).
    QList<Item> itemPageLoaded(const QString &address, quint64 requestedAt);
    // An item's page moved the reader: it waits for a verdict.
    void moved(const Item &item);
    // A line of a page that waits already joins it instead of being loaded
    // (it would only move too); false when no item of its page waits.
    bool follow(const PendingLine &line, quint64 ticket);
    bool waitsFor(const QString &address) const;

    // downloaded: addresses of downloaded items, newest first.
    Next next(const Outlook &outlook, const QStringList &downloaded) const;
    // The reference to load next; empty when none is left.
    QString checkPage(const QStringList &downloaded) const;
    void checkStarted(const QString &page, quint64 at);
    bool isChecking() const { return m_checkAt != 0; }
    // The reference loaded as an item page: the items moved before it was
    // asked for are taken off sale (returned).
    QList<Item> checkPassed();
    // The reference moved too, or did not load: it proves nothing, and the
    // next reference is tried.
    void checkRefuted();
    // The check was cut short by something that is no one's fault (the
    // network went away): as if it had never been asked for.
    void checkAbandoned() { m_checkAt = 0; }
    // Checks failed so far on the items waiting.
    int refuted() const { return int(m_refuted.size()); }
    // No new item is taken while a check runs or a wall is suspected: at a
    // wall each would only move as well.
    bool holdsTaking() const;

    QString knownPage() const { return m_known; }
    // The items waiting for a verdict, in the order they were taken.
    const QList<Item> &waiting() const { return m_waiting; }
    QList<Item> takeAll();
    bool isEmpty() const { return m_waiting.isEmpty(); }

private:
    QList<Item> takeMovedBefore(quint64 at);
    void insert(const Item &item);
    // The ticket of the n-th waiting item of a page of its own (0 when there are fewer).
    quint64 nthPage(int n) const;

    quint64 m_clock = 0;
    QString m_known; // an item page that loaded in this run
    QList<Item> m_waiting;
    QString m_checkPage;
    quint64 m_checkAt = 0;   // the check under way; 0: none
    QSet<QString> m_refuted; // page keys of the references that proved nothing
};
