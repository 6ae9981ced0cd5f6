#include "lists/item_list.h"

#include <algorithm>

int ItemList::count() const
{
    return int(m_entries.size());
}

bool ItemList::contains(int position) const
{
    return position >= 0 && position < m_entries.size();
}

QString ItemList::at(int position) const
{
    return contains(position) ? m_entries.at(position).text : QString();
}

QStringList ItemList::entries() const
{
    QStringList lines;
    lines.reserve(m_entries.size());
    for (const Entry &entry : m_entries)
        lines.append(entry.text);
    return lines;
}

void ItemList::append(const QString &line)
{
    insert(count(), line);
}

void ItemList::insert(int position, const QString &line)
{
    position = std::clamp(position, 0, count());
    beginInsertRows(QModelIndex(), position, position);
    m_entries.insert(position, Entry{line, false});
    endInsertRows();
}

void ItemList::removeAt(int position)
{
    if (!contains(position))
        return;
    beginRemoveRows(QModelIndex(), position, position);
    m_entries.removeAt(position);
    endRemoveRows();
}

void ItemList::replace(int position, const QString &line)
{
    if (!contains(position) || m_entries.at(position).text == line)
        return;
    m_entries[position].text = line;
    const QModelIndex changed = index(position);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ItemList::clear()
{
    if (m_entries.isEmpty())
        return;
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

bool ItemList::isSelected(int position) const
{
    return contains(position) && m_entries.at(position).selected;
}

void ItemList::setSelected(int position, bool selected)
{
    if (!contains(position) || m_entries.at(position).selected == selected)
        return;
    m_entries[position].selected = selected;
    const QModelIndex changed = index(position);
    emit dataChanged(changed, changed, {SelectedRole});
}

int ItemList::selectedCount() const
{
    return int(std::count_if(m_entries.cbegin(), m_entries.cend(), [](const Entry &e) { return e.selected; }));
}

int ItemList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ItemList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !contains(index.row()))
        return {};
    const Entry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return entry.text;
    case SelectedRole:
        return entry.selected;
    default:
        return {};
    }
}

bool ItemList::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != SelectedRole || !index.isValid() || !contains(index.row()))
        return false;
    setSelected(index.row(), value.toBool());
    return true;
}

Qt::ItemFlags ItemList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
