#include "collection/batch/moved_items.h"

QList<MovedItems::Item> MovedItems::itemPageLoaded(const QString &address)
{
    m_known = address;
    return takeAll();
}

MovedItems::Next MovedItems::moved(const Item &item)
{
    m_waiting.append(item);
    if (!m_known.isEmpty())
        return Next::CheckKnownPage;
    return checkFailed();
}

MovedItems::Next MovedItems::checkFailed() const
{
    return m_waiting.size() >= WallAfter ? Next::Wall : Next::SetAside;
}
