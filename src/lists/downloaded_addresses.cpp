#include "lists/downloaded_addresses.h"

#include "collection/marketplace.h"

#include "lists/item_lines.h"
#include "lists/item_list.h"


DownloadedAddresses::DownloadedAddresses(const ItemList &downloaded, QObject *parent)
    : QObject(parent)
    , m_list(downloaded)
{
    connect(&downloaded, &ItemList::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { add(first, last); });
    connect(&downloaded, &ItemList::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { remove(first, last); });
    connect(&downloaded, &ItemList::modelReset, this, &DownloadedAddresses::rebuild);
    connect(&downloaded, &ItemList::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                if (roles.size() == 1 && roles.first() == ItemList::SelectedRole)
                    return;
                // A rewritten line (a new item number) may carry another address.
                for (int row = from.row(); row <= to.row() && row < m_keys.size(); ++row) {
                    count(m_keys.at(row), -1);
                    m_keys[row] = Marketplace::pageKey(DownloadedLine::parse(m_list.at(row)).address);
                    count(m_keys.at(row), +1);
                }
            });
    rebuild();
}

bool DownloadedAddresses::contains(const QString &address) const
{
    const QString key = Marketplace::pageKey(address);
    return !key.isEmpty() && m_count.contains(key);
}

void DownloadedAddresses::count(const QString &key, int by)
{
    if (key.isEmpty())
        return;
    const int now = m_count.value(key) + by;
    if (now > 0)
        m_count.insert(key, now);
    else
        m_count.remove(key);
}

void DownloadedAddresses::add(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        const QString key = Marketplace::pageKey(DownloadedLine::parse(m_list.at(row)).address);
        m_keys.insert(row, key);
        count(key, +1);
    }
}

void DownloadedAddresses::remove(int first, int last)
{
    for (int row = last; row >= first && row < m_keys.size(); --row)
        count(m_keys.takeAt(row), -1);
}

void DownloadedAddresses::rebuild()
{
    m_keys.clear();
    m_count.clear();
    add(0, m_list.count() - 1);
}
