#pragma once

#include "collection/request_ledger.h"

#include <QElapsedTimer>
#include <QWebEngineUrlRequestInterceptor>

// The requests a page makes of its own, as the engine starts them: scripts,
// pictures, style sheets, fonts, fetches and XMLHttpRequests of the page's own
// documents. Frames of other sites, beacons, media streams and the page's
// navigation itself are no part of what the page is still loading. Set on
// one page; called on the GUI thread.
class PageRequests : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit PageRequests(QObject *parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

    // A new navigation: what the previous document had open no longer counts.
    void clear() { m_ledger.clear(); }
    // The page's timeline lists these as finished.
    void finished(const QStringList &addresses);
    // Ages of the requests still open, oldest first.
    QList<qint64> openAges() const { return m_ledger.openAges(m_clock.elapsed()); }

private:
    QElapsedTimer m_clock;
    RequestLedger m_ledger;
};
