#include "platform/web/page_requests.h"

#include <QDateTime>
#include <QWebEngineUrlRequestInfo>

#include <optional>

namespace {

using Kind = RequestLedger::Kind;

std::optional<Kind> kindOf(QWebEngineUrlRequestInfo::ResourceType type)
{
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeXhr: // fetch() too
        return Kind::Fetch;
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
        return Kind::Script;
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
        return Kind::Picture;
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
        return Kind::Style;
    case QWebEngineUrlRequestInfo::ResourceTypeSubResource:
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
        return Kind::Any;
    default:
        return std::nullopt;
    }
}

// The timeline's initiator type. A style sheet's pictures and fonts, and
// preloads, may be any kind.
Kind kindOf(const QString &initiatorType)
{
    if (initiatorType == u"fetch" || initiatorType == u"xmlhttprequest")
        return Kind::Fetch;
    if (initiatorType == u"script")
        return Kind::Script;
    if (initiatorType == u"img" || initiatorType == u"image" || initiatorType == u"input")
        return Kind::Picture;
    return Kind::Any;
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

} // namespace

PageRequests::PageRequests(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{
}

qint64 PageRequests::now()
{
    // The page's timeline counts from the epoch: so must the starts.
    return QDateTime::currentMSecsSinceEpoch();
}

void PageRequests::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    // A frame of another site asks in its own name: its requests never show
    // in the page's timeline.
    const std::optional<Kind> kind = kindOf(info.resourceType());
    if (!kind || !sameOrigin(info.initiator(), info.firstPartyUrl()))
        return;
    m_ledger.started(info.requestUrl().toString(), *kind, now());
}

void PageRequests::documentMade(qint64 atMs)
{
    if (atMs > 0)
        m_ledger.documentMade(atMs);
}

void PageRequests::finished(const QVariantList &entries)
{
    for (const QVariant &entry : entries) {
        const QVariantList e = entry.toList();
        if (e.size() < 6)
            continue;
        RequestLedger::Finish finish;
        finish.address = e.at(0).toString();
        finish.kind = kindOf(e.at(1).toString());
        finish.startMs = qint64(e.at(2).toDouble());
        finish.fetchStartMs = qint64(e.at(3).toDouble());
        finish.endMs = qint64(e.at(4).toDouble());
        finish.redirectSeen = e.at(5).toBool();
        m_ledger.finished(finish);
    }
}
