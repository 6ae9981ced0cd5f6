#include "collection/batch/moved_items.h"

#include <algorithm>

void MovedItems::startRun()
{
    m_known.clear();
    m_lastCheckAt = 0;
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
    return decided;
}

QList<MovedItems::Item> MovedItems::itemPageLoaded(const QString &address, quint64 requestedAt)
{
    m_known = address;
    return takeMovedBefore(requestedAt);
}

void MovedItems::moved(const Item &item)
{
    const auto at = std::upper_bound(m_waiting.begin(), m_waiting.end(), item.ticket,
                                     [](quint64 ticket, const Item &other) { return ticket < other.ticket; });
    m_waiting.insert(at, item);
}

bool MovedItems::uncovered() const
{
    return std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                       [this](const Item &item) { return item.movedAt > m_lastCheckAt; });
}

MovedItems::Next MovedItems::next(quint64 oldestLoading, bool queueEnded, const QString &lastDownloaded) const
{
    if (m_waiting.isEmpty() || isChecking())
        return Next::Wait;
    const bool reference = !checkPage(lastDownloaded).isEmpty();
    if (queueEnded)
        return reference ? Next::Check : Next::Wall;
    if (!m_known.isEmpty())
        return uncovered() ? Next::Check : Next::Wait;
    // No item page of this run yet: the next one to load decides, unless the
    // moved ones come so many in a row that a wall is likely.
    if (m_waiting.size() < WallAfter)
        return Next::Wait;
    if (oldestLoading != 0 && oldestLoading < m_waiting.at(WallAfter - 1).ticket)
        return Next::Wait; // an item taken before them may still load as one
    return reference && uncovered() ? Next::Check : Next::Wall;
}

QList<MovedItems::Item> MovedItems::checkPassed(const QString &address)
{
    const quint64 at = std::exchange(m_checkAt, 0);
    m_lastCheckAt = at;
    m_known = address;
    return takeMovedBefore(at);
}

MovedItems::Next MovedItems::checkFailed()
{
    m_lastCheckAt = std::exchange(m_checkAt, 0);
    return m_waiting.size() >= WallAfter ? Next::Wall : Next::Wait;
}

QList<MovedItems::Item> MovedItems::checkMoved()
{
    m_lastCheckAt = std::exchange(m_checkAt, 0);
    return takeAll();
}

bool MovedItems::holdsTaking() const
{
    return isChecking() || (m_known.isEmpty() && m_waiting.size() >= WallAfter);
}
