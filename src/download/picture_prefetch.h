#pragma once

#include "platform/net/http_fetcher.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// Pictures fetched ahead of an item's download, while its page is still
// being scrolled, so that the download finds them already here. Bodies wait
// in a temporary folder; each is taken once, by moving it into place.
class PicturePrefetch
{
public:
    // Addresses not asked for before join the queue.
    void want(const QStringList &addresses);
    // The next address to fetch ahead, with the file its body goes to;
    // nothing when the queue is empty or no folder can be had.
    std::optional<std::pair<QString, QString>> next();
    // The address next() gives next; empty when none.
    QString upNext() const { return m_queue.isEmpty() ? QString() : m_queue.first(); }
    void arrived(const QString &address, const FetchResult &result);

    // Started and not arrived yet.
    bool isOnItsWay(const QString &address) const;

    // Moves an arrived body to `file`: its result, or nothing when it is not
    // here (never asked for, failed, or taken already).
    std::optional<FetchResult> take(const QString &address, const QString &file);

    // Forgets everything; bodies not taken are deleted.
    void clear();

private:
    struct Entry
    {
        QString file;
        bool started = false;
        std::optional<FetchResult> result;
    };

    std::unique_ptr<QTemporaryDir> m_folder;
    QHash<QString, Entry> m_entries;
    QStringList m_queue;
    int m_files = 0;
};
