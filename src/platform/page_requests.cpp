#include "platform/page_requests.h"

#include <QWebEngineUrlRequestInfo>

namespace {

bool isLoadingResource(QWebEngineUrlRequestInfo::ResourceType type)
{
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
    case QWebEngineUrlRequestInfo::ResourceTypeSubResource:
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
    case QWebEngineUrlRequestInfo::ResourceTypeXhr: // fetch() too
        return true;
    default:
        return false;
    }
}

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

} // namespace

PageRequests::PageRequests(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{
    m_clock.start();
}

void PageRequests::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    // A frame of another site asks in its own name: its requests never show
    // in the page's timeline.
    if (!isLoadingResource(info.resourceType()) || !sameOrigin(info.initiator(), info.firstPartyUrl()))
        return;
    m_ledger.started(info.requestUrl().toString(), m_clock.elapsed());
}

void PageRequests::finished(const QStringList &addresses)
{
    for (const QString &address : addresses)
        m_ledger.finished(address);
}
