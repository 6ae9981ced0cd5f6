#include "collection/batch/moved_items.h"

#include "collection/marketplace.h"

#include <algorithm>

void MovedItems::startRun()
{
    m_known.clear();
    m_refuted.clear();
}

QList<MovedItems::Item> MovedItems::takeMovedBefore(quint64 at)
{
    QList<Item> decided;
    m_waiting.removeIf([&](const Item &item) {
        if (item.movedAt >= at)
            return false;
        decided.append(item);
        return true;
    });
    if (m_waiting.isEmpty())
        m_refuted.clear();
    return decided;
}

QList<MovedItems::Item> MovedItems::takeAll()
{
    m_refuted.clear();
    return std::exchange(m_waiting, {});
}

QList<MovedItems::Item> MovedItems::itemPageLoaded(const QString &address, quint64 requestedAt)
{
    m_known = address;
    // The market is open: what seemed a wall was items gone.
    m_refuted.clear();
    return takeMovedBefore(requestedAt);
}

void MovedItems::insert(const Item &item)
{
    const auto at = std::upper_bound(m_waiting.begin(), m_waiting.end(), item.ticket,
                                     [](quint64 ticket, const Item &other) { return ticket < other.ticket; });
    m_waiting.insert(at, item);
}

void MovedItems::moved(const Item &item)
{
    insert(item);
}

bool MovedItems::waitsFor(const QString &address) const
{
    const QString key = Marketplace::pageKey(address);
    return std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                       [&key](const Item &item) { return Marketplace::pageKey(item.taken.address) == key; });
}

bool MovedItems::follow(const PendingLine &line, quint64 ticket)
{
    const QString key = Marketplace::pageKey(line.address);
    const auto leader = std::find_if(m_waiting.cbegin(), m_waiting.cend(), [&key](const Item &item) {
        return !item.follower && Marketplace::pageKey(item.taken.address) == key;
    });
    if (leader == m_waiting.cend())
        return false;
    insert(Item{line, leader->movedTo, ticket, leader->movedAt, true});
    return true;
}

quint64 MovedItems::nthPage(int n) const
{
    int pages = 0;
    for (const Item &item : m_waiting) {
        if (!item.follower && ++pages == n)
            return item.ticket;
    }
    return 0;
}

QString MovedItems::checkPage(const QStringList &downloaded) const
{
    if (m_refuted.size() >= MaxReferences)
        return QString();
    QSet<QString> passed = m_refuted;
    for (const Item &item : m_waiting)
        passed.insert(Marketplace::pageKey(item.taken.address));
    for (const QString &page : QStringList{m_known} + downloaded) {
        if (!page.isEmpty() && !passed.contains(Marketplace::pageKey(page)))
            return page;
    }
    return QString();
}

MovedItems::Next MovedItems::next(const Outlook &outlook, const QStringList &downloaded) const
{
    if (m_waiting.isEmpty() || isChecking())
        return Next::Wait;
    const Next checkOrWall = checkPage(downloaded).isEmpty() ? Next::Wall : Next::Check;
    // A page of this run is known to load, or a check under way failed to
    // prove anything: the next reference decides at once.
    if (!m_known.isEmpty() || !m_refuted.isEmpty())
        return checkOrWall;
    // No item page of this run yet: the next one to load decides, unless the
    // moved ones come so many in a row that a wall is likely, or none can come.
    const quint64 third = nthPage(WallAfter);
    if (third == 0)
        return outlook.oldestLoading != 0 || outlook.moreToTake ? Next::Wait : checkOrWall;
    if (outlook.oldestLoading != 0 && outlook.oldestLoading < third)
        return Next::Wait; // an item taken before them may still load as one
    return checkOrWall;
}

void MovedItems::checkStarted(const QString &page, quint64 at)
{
    m_checkPage = page;
    m_checkAt = at;
}

QList<MovedItems::Item> MovedItems::checkPassed()
{
    const quint64 at = std::exchange(m_checkAt, 0);
    m_known = m_checkPage;
    m_refuted.clear();
    return takeMovedBefore(at);
}

void MovedItems::checkRefuted()
{
    m_checkAt = 0;
    const QString key = Marketplace::pageKey(m_checkPage);
    if (Marketplace::pageKey(m_known) == key)
        m_known.clear();
    if (!m_waiting.isEmpty())
        m_refuted.insert(key);
}

bool MovedItems::holdsTaking() const
{
    return isChecking() || !m_refuted.isEmpty() || (m_known.isEmpty() && nthPage(WallAfter) != 0);
}
