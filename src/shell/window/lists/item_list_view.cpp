#include "shell/window/lists/item_list_view.h"

#include "lists/item_list.h"

#include <QMouseEvent>
#include <QScrollBar>

ItemListView::ItemListView(ItemList &list, const QString &objectName, QWidget *parent)
    : QListView(parent)
    , m_list(list)
{
    setObjectName(objectName);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
    // Before setModel: these run ahead of the selection model's own handling.
    connect(&m_list, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { m_reshaping = true; });
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, [this] { m_reshaping = false; });
    connect(&m_list, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_reshaping = true; });
    connect(&m_list, &QAbstractItemModel::modelReset, this, [this] { m_reshaping = false; });
    setModel(&m_list);
    connect(&m_list, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) { fromList(from.row(), to.row()); });
    connect(&m_list, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { fromList(first, last); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ItemListView::toList);
    fromList(0, m_list.count() - 1);
}

int ItemListView::rowHeight() const
{
    const int hint = sizeHintForRow(0);
    return hint > 0 ? hint : fontMetrics().height();
}

void ItemListView::fromList(int first, int last)
{
    if (m_syncing)
        return;
    m_syncing = true;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = m_list.index(row);
        const bool selected = m_list.isSelected(row);
        if (selectionModel()->isSelected(index) != selected)
            selectionModel()->select(index, selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
    }
    m_syncing = false;
}

void ItemListView::toList(const QItemSelection &selected, const QItemSelection &deselected)
{
    if (m_syncing || m_reshaping)
        return;
    m_syncing = true;
    for (const QModelIndex &index : deselected.indexes())
        m_list.setSelected(index.row(), false);
    for (const QModelIndex &index : selected.indexes())
        m_list.setSelected(index.row(), true);
    m_syncing = false;
}

bool ItemListView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto *move = static_cast<QMouseEvent *>(event);
        const QPoint inViewport = move->position().toPoint();
        const double rows = double(inViewport.y() + verticalScrollBar()->value()) / rowHeight();
        emit hovered(viewport()->mapTo(this, inViewport), rows);
    } else if (event->type() == QEvent::Leave) {
        emit left();
    }
    return QListView::viewportEvent(event);
}
