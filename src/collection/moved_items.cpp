#include "collection/moved_items.h"

void MovedItems::startRun()
{
    m_known.clear();
}

QList<MovedItems::Item> MovedItems::itemPageLoaded(const QString &address)
{
    m_known = address;
    return std::exchange(m_setAside, {});
}

MovedItems::Next MovedItems::moved(const Item &item)
{
    if (m_known.isEmpty())
        return setAside(item);
    m_checking = item;
    return Next::CheckKnownPage;
}

std::optional<MovedItems::Item> MovedItems::checkedItemPage()
{
    return std::exchange(m_checking, std::nullopt);
}

MovedItems::Next MovedItems::checkFailed()
{
    const std::optional<Item> item = std::exchange(m_checking, std::nullopt);
    return item ? setAside(*item) : Next::SetAside;
}

MovedItems::Next MovedItems::setAside(const Item &item)
{
    m_setAside.append(item);
    return m_setAside.size() >= WallAfter ? Next::Wall : Next::SetAside;
}

QList<MovedItems::Item> MovedItems::takeAll()
{
    QList<Item> all = waiting();
    m_setAside.clear();
    m_checking.reset();
    return all;
}

QList<MovedItems::Item> MovedItems::waiting() const
{
    QList<Item> all = m_setAside;
    if (m_checking)
        all.append(*m_checking);
    return all;
}
