#pragma once

#include "lists/item_lines.h"

#include <QList>
#include <QString>

// Items whose page moved the reader elsewhere. An item taken off sale moves
// only its own page; a wall (a verification or login page) moves every item
// page. The rule tells the two apart by what other item pages do: with an
// item page known in this run, that page is loaded again; before one is
// known, moved items wait for the first item page that loads, and three
// moved in a row make a wall.
class MovedItems
{
public:
    struct Item
    {
        PendingLine taken; // as it was taken from the pending list
        QString movedTo;   // where its page moved the reader
        quint64 ticket = 0; // the order it was taken in
    };
    enum class Next { CheckKnownPage, SetAside, Wall };

    static constexpr int WallAfter = 3;

    // A run (a start of the batch) knows no item page yet.
    void startRun() { m_known.clear(); }
    // An item page of this run loaded as one: the items waiting are taken off
    // sale (returned).
    QList<Item> itemPageLoaded(const QString &address);
    // An item's page moved the reader: it waits for a verdict.
    Next moved(const Item &item);
    // The known page could not be loaded: nothing was learned.
    Next checkFailed() const;
    // The item page known in this run; empty before one loaded.
    QString knownPage() const { return m_known; }
    // The items waiting for a verdict, in the order they were taken.
    const QList<Item> &waiting() const { return m_waiting; }
    QList<Item> takeAll() { return std::exchange(m_waiting, {}); }
    bool isEmpty() const { return m_waiting.isEmpty(); }

private:
    QString m_known;
    QList<Item> m_waiting;
};
