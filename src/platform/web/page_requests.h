#pragma once

#include "collection/request_ledger.h"

#include <QVariantList>
#include <QWebEngineUrlRequestInterceptor>

// The requests a page makes of its own, as the engine starts them: scripts,
// pictures, style sheets, fonts, fetches and XMLHttpRequests of the page's own
// site. Frames of other sites, beacons, media streams and the page's
// navigation itself are no part of what the page is still loading. Set on
// one page; called on the GUI thread.
class PageRequests : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit PageRequests(QObject *parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    void setUnreportedAfter(int ms) { m_ledger.setUnreportedAfter(ms); }
    // A new navigation: what the previous document had open no longer counts.
    void clear() { m_ledger.clear(); }
    // When the document the page holds now was made (epoch ms; 0: unknown).
    void documentMade(qint64 atMs);
    // The page's timeline lists these as finished: for each, its address,
    // initiator type, first start, last start, end, and whether it shows hops.
    void finished(const QVariantList &entries);
    // Ages of the requests still open, oldest first.
    QList<qint64> openAges() { return m_ledger.openAges(now()); }

private:
    static qint64 now();

    RequestLedger m_ledger;
};
