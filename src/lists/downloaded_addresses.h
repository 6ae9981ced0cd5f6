#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class ItemList;

// The page addresses of the downloaded list, kept in step with it as it
// changes, so that asking whether an item was downloaded costs a lookup, not
// a walk over the list. Two addresses are the same page when the
// marketplace's page keys agree (Marketplace::pageKey).
class DownloadedAddresses : public QObject
{
    Q_OBJECT
public:
    explicit DownloadedAddresses(const ItemList &downloaded, QObject *parent = nullptr);

    bool contains(const QString &address) const;

private:
    void add(int first, int last);
    void remove(int first, int last);
    void rebuild();
    void count(const QString &key, int by);

    const ItemList &m_list;
    QList<QString> m_keys;       // per row of the list
    QHash<QString, int> m_count; // rows per key
};
