#pragma once

#include "lists/item_lines.h"

#include <QList>
#include <QString>

#include <optional>

// Items whose page moved the reader elsewhere. An item taken off sale moves
// only its own page; a wall (a verification or login page) moves every item
// page. The rule tells the two apart by what other item pages of the run do:
// with an item page known in this run, that page is loaded again; before one
// is known, moved items wait for the first item page that loads, and three
// moved in a row make a wall.
class MovedItems
{
public:
    struct Item
    {
        PendingLine taken; // as it was taken from the pending list
        QString movedTo;   // where its page moved the reader
    };
    enum class Next { CheckKnownPage, SetAside, Wall };

    static constexpr int WallAfter = 3;

    // A run (a start of the batch) knows no item page yet.
    void startRun();
    // An item page of this run loaded as one: the items set aside are
    // taken off sale.
    QList<Item> itemPageLoaded(const QString &address);
    // An item's page moved the reader.
    Next moved(const Item &item);
    // The item page known in this run; empty before one loaded.
    QString knownPage() const { return m_known; }
    // The known page, loaded again, is still an item page: the item checked
    // is taken off sale. When the page could not be loaded, nothing is
    // learned and the item waits as one set aside.
    std::optional<Item> checkedItemPage();
    Next checkFailed();
    // Every item waiting for a verdict, in the order they were taken: at a
    // wall, a pause or the end of the queue they go back on top.
    QList<Item> takeAll();
    QList<Item> waiting() const;
    bool isEmpty() const { return m_setAside.isEmpty() && !m_checking; }

private:
    Next setAside(const Item &item);

    QString m_known;
    QList<Item> m_setAside;
    std::optional<Item> m_checking;
};
