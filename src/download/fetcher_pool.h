#pragma once

#include "platform/net/http_fetcher.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>

class HostConnections;

// The connections one download fetches pictures over: its own fetcher and
// the ones added for fetching several at once. While a transfer runs it
// counts against its host's share, which every download has in common.
class FetcherPool
{
public:
    // hosts may be null (no limit per host); owner is the added fetchers' parent.
    FetcherPool(HttpFetcher &own, HostConnections *hosts, QObject *owner);

    // Connections beyond the number go once they are idle; the own one stays.
    void resize(int connections);
    int size() const { return int(m_fetchers.size()); }
    bool hasIdle() const { return idle() != nullptr; }
    // The host has its whole share in use.
    bool hostFull(const QString &address) const;
    // False when no connection is idle or the host has none to spare: a
    // freed host connection is signalled by HostConnections::freed.
    bool fetch(const QString &address, const QString &file, std::function<void(const FetchResult &)> done);
    // Transfers under way end without calling back.
    void cancel();

private:
    HttpFetcher *idle() const;
    void release(HttpFetcher *fetcher);

    QList<HttpFetcher *> m_fetchers; // the first is the own one
    HostConnections *m_hosts;
    QObject *m_owner;
    QHash<HttpFetcher *, QString> m_holding; // the address each counts against its host
};
