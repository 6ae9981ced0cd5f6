#include "collection/request_ledger.h"

#include "collection/marketplace.h"

#include <QUrl>

#include <algorithm>
#include <cstdlib>

namespace {

QString originOf(const QString &key)
{
    return QUrl(key).adjusted(QUrl::RemovePath | QUrl::RemoveQuery).toString();
}

bool sameKind(RequestLedger::Kind a, RequestLedger::Kind b)
{
    return a == b || a == RequestLedger::Kind::Any || b == RequestLedger::Kind::Any;
}

} // namespace

void RequestLedger::clear()
{
    m_open.clear();
}

void RequestLedger::started(const QString &address, Kind kind, qint64 atMs)
{
    const QString key = Marketplace::requestKey(address);
    if (m_unreported.contains(key))
        return;
    m_open.append({key, originOf(key), kind, atMs});
}

void RequestLedger::finished(const Finish &finish)
{
    const QString key = Marketplace::requestKey(finish.address);
    m_unreported.remove(key);
    // Two requests of one address end in the order they started.
    const auto it = std::find_if(m_open.begin(), m_open.end(), [&](const Start &s) { return s.key == key; });
    if (it == m_open.end())
        return; // from the page's memory cache, or a start already given up
    const qint64 firstStartMs = it->atMs;
    m_open.erase(it);
    settleHops(finish, key, firstStartMs);
}

void RequestLedger::settleHops(const Finish &finish, const QString &key, qint64 firstStartMs)
{
    // The engine starts every hop of a redirect as a request of its own, after
    // the first, but the timeline reports the chain once, under its first address.
    const qint64 from = firstStartMs;
    if (finish.redirectSeen) {
        // The timeline tells when the last hop started: the start the engine
        // saw closest to then is that hop. (A chain of several hops leaves the
        // ones between to the limit on unreported addresses.)
        const auto distance = [&](const Start &s) { return std::abs(s.atMs - finish.fetchStartMs); };
        auto hop = m_open.end();
        for (auto it = m_open.begin(); it != m_open.end(); ++it) {
            if (it->key != key && sameKind(it->kind, finish.kind) && it->atMs >= from
                && it->atMs <= finish.fetchStartMs + SlackMs && (hop == m_open.end() || distance(*it) < distance(*hop)))
                hop = it;
        }
        if (hop != m_open.end())
            m_open.erase(hop);
        return;
    }
    // A hop to another site leaves no trace in the timeline. Pictures are
    // moved to picture hosts all the time, and whether the page's pictures
    // have loaded is asked of the page itself: the first picture to another
    // origin that started while the chain ran is taken for its hop. Other
    // kinds are left to the limit on unreported addresses.
    if (finish.kind != Kind::Picture)
        return;
    const QString origin = originOf(key);
    const auto hop = std::find_if(m_open.begin(), m_open.end(), [&](const Start &s) {
        return s.key != key && s.origin != origin && s.kind == Kind::Picture && s.atMs >= from
            && s.atMs <= finish.endMs + SlackMs;
    });
    if (hop != m_open.end())
        m_open.erase(hop);
}

void RequestLedger::documentMade(qint64 atMs)
{
    m_open.removeIf([atMs](const Start &s) { return s.atMs < atMs; });
}

QList<qint64> RequestLedger::openAges(qint64 nowMs)
{
    QList<qint64> ages;
    ages.reserve(m_open.size());
    m_open.removeIf([&](const Start &s) {
        if (nowMs - s.atMs < m_unreportedMs)
            return false;
        m_unreported.insert(s.key);
        return true;
    });
    for (const Start &s : std::as_const(m_open)) {
        if (!m_unreported.contains(s.key))
            ages.append(nowMs - s.atMs);
    }
    std::sort(ages.begin(), ages.end(), std::greater<>());
    return ages;
}
