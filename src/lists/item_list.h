#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QStringList>

// The entries of one list box with their selection state, 0-based like the
// box. Positions out of range read as an empty entry and are ignored by the
// changing operations, as a list box ignores them.
class ItemList : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles { SelectedRole = Qt::UserRole + 1 };

    using QAbstractListModel::QAbstractListModel;

    int count() const;
    QString at(int position) const;
    QStringList entries() const;

    void append(const QString &line);
    // A position past the end appends.
    void insert(int position, const QString &line);
    void removeAt(int position);
    // Keeps the entry's selection.
    void replace(int position, const QString &line);
    void clear();

    bool isSelected(int position) const;
    void setSelected(int position, bool selected);
    int selectedCount() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Entry
    {
        QString text;
        bool selected = false;
    };

    bool contains(int position) const;

    QList<Entry> m_entries;
};
