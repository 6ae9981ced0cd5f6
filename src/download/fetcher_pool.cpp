#include "download/fetcher_pool.h"

#include "download/host_connections.h"

#include <algorithm>

FetcherPool::FetcherPool(HttpFetcher &own, HostConnections *hosts, QObject *owner)
    : m_fetchers{&own}
    , m_hosts(hosts)
    , m_owner(owner)
{
}

void FetcherPool::resize(int connections)
{
    while (m_fetchers.size() < connections)
        m_fetchers.append(new HttpFetcher(m_fetchers.first()->limits(), m_owner));
    while (m_fetchers.size() > std::max(connections, 1) && !m_fetchers.last()->isBusy())
        m_fetchers.takeLast()->deleteLater();
}

bool FetcherPool::hostFull(const QString &address) const
{
    return m_hosts && m_hosts->inUse(address) >= HostConnections::PerHost;
}

HttpFetcher *FetcherPool::idle() const
{
    for (HttpFetcher *fetcher : m_fetchers) {
        if (!fetcher->isBusy())
            return fetcher;
    }
    return nullptr;
}

bool FetcherPool::fetch(const QString &address, const QString &file, std::function<void(const FetchResult &)> done)
{
    HttpFetcher *fetcher = idle();
    if (!fetcher)
        return false;
    if (m_hosts) {
        if (!m_hosts->take(address))
            return false;
        m_holding.insert(fetcher, address);
    }
    fetcher->FetchToFile(address, file, [this, fetcher, done = std::move(done)](const FetchResult &result) {
        release(fetcher);
        done(result);
    });
    return true;
}

void FetcherPool::release(HttpFetcher *fetcher)
{
    if (m_hosts && m_holding.contains(fetcher))
        m_hosts->giveBack(m_holding.take(fetcher));
}

void FetcherPool::cancel()
{
    for (HttpFetcher *fetcher : std::as_const(m_fetchers)) {
        fetcher->cancel();
        release(fetcher);
    }
}
