#pragma once

#include <QListView>

class ItemList;

// A list box over an ItemList: the list's entries with the list's selection.
// Selecting in the box selects in the list and the other way round, so the
// commands, which work on the list, see what the user selected.
class ItemListView : public QListView
{
    Q_OBJECT
public:
    ItemListView(ItemList &list, const QString &objectName, QWidget *parent = nullptr);

    // Height of one row in pixels.
    int rowHeight() const;

signals:
    // The pointer moved over the box: its position in the box and its height
    // from the top of the first entry, counted in rows (1.5 = half-way down the second row).
    void hovered(const QPoint &pointer, double rowsFromFirst);
    // The pointer left the box.
    void left();

protected:
    bool viewportEvent(QEvent *event) override;

private:
    void fromList(int first, int last);
    void toList(const QItemSelection &selected, const QItemSelection &deselected);

    ItemList &m_list;
    bool m_syncing = false;   // one side follows the other: no echo back
    bool m_reshaping = false; // rows are being removed: the box drops their selection by itself
};
