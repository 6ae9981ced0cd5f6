#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class ItemList;

// The page addresses of the downloaded list, kept in step with it as it
// changes, so that asking whether an item was downloaded costs a lookup, not
// a walk over the list. Two addresses are the same page when their scheme,
// host and path agree; the query and the fragment do not count.
class DownloadedAddresses : public QObject
{
    Q_OBJECT
public:
    explicit DownloadedAddresses(const ItemList &downloaded, QObject *parent = nullptr);

    bool contains(const QString &address) const;
    // What two addresses of one page have in common.
    static QString pageKey(const QString &address);

private:
    void add(int first, int last);
    void remove(int first, int last);
    void rebuild();
    void count(const QString &key, int by);

    const ItemList &m_list;
    QList<QString> m_keys;       // per row of the list
    QHash<QString, int> m_count; // rows per key
};
