#include "collection/request_ledger.h"

#include <QUrl>

#include <algorithm>

QString RequestLedger::key(const QString &address)
{
    // The engine writes addresses decoded, the page's timeline encoded; the
    // fragment never reaches the network.
    return QUrl(address).adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}

void RequestLedger::clear()
{
    m_starts.clear();
    m_open = 0;
}

void RequestLedger::started(const QString &address, qint64 atMs)
{
    m_starts[key(address)].append(atMs);
    ++m_open;
}

void RequestLedger::finished(const QString &address)
{
    const auto it = m_starts.find(key(address));
    if (it == m_starts.end())
        return;
    it->removeFirst();
    --m_open;
    if (it->isEmpty())
        m_starts.erase(it);
}

QList<qint64> RequestLedger::openAges(qint64 nowMs) const
{
    QList<qint64> ages;
    ages.reserve(m_open);
    for (const QList<qint64> &starts : m_starts) {
        for (const qint64 at : starts)
            ages.append(nowMs - at);
    }
    std::sort(ages.begin(), ages.end(), std::greater<>());
    return ages;
}
