#include "shop/gone_items_check.h"

#include "collection/marketplace.h"
#include "collection/page_analysis.h"
#include "collection/page_document.h"

GoneItemsCheck::GoneItemsCheck(PageDocument &view, QObject *parent)
    : QObject(parent)
    , m_view(view)
{
    m_gap.setSingleShot(true);
}

void GoneItemsCheck::start(const QStringList &candidates, const QStringList &references)
{
    m_running = true;
    m_verdict = Verdict{};
    m_candidates = candidates;
    m_references.clear();
    for (const QString &page : references) {
        if (m_references.size() < MaxReferences && !candidates.contains(page) && !m_references.contains(page))
            m_references << page;
    }
    m_nextCandidate = 0;
    m_nextReference = 0;
    m_moved.clear();
    next();
}

void GoneItemsCheck::next()
{
    if (m_nextCandidate < m_candidates.size()) {
        load(m_candidates.at(m_nextCandidate++), false);
        return;
    }
    if (!m_moved.isEmpty() && m_nextReference < m_references.size()) {
        load(m_references.at(m_nextReference++), true);
        return;
    }
    finish();
}

void GoneItemsCheck::load(const QString &address, bool reference)
{
    const auto go = [this, address, reference] {
        m_view.NavigateAndRead(address, this, [this, address, reference](const PageLoad &load) {
            if (load.outcome == PageLoad::NotResponding)
                m_view.renew();
            if (reference)
                onReference(load);
            else
                onCandidate(address, load);
        });
    };
    const bool first = m_nextCandidate + m_nextReference == 1;
    if (first || m_gapMs <= 0) {
        go();
        return;
    }
    m_gap.disconnect(this);
    connect(&m_gap, &QTimer::timeout, this, go);
    m_gap.start(m_gapMs);
}

void GoneItemsCheck::onCandidate(const QString &address, const PageLoad &load)
{
    const bool read = load.outcome == PageLoad::Read;
    if (read && PageAnalyser::isDetailPage(load.page)) {
        vouched();
        m_verdict.kept << address;
    } else if (read && Marketplace::movedElsewhere(address, load.page.url)) {
        m_moved << address;
    } else {
        // Not loaded, or a page of its own that is no item page: nothing learned.
        m_verdict.kept << address;
    }
    next();
}

void GoneItemsCheck::onReference(const PageLoad &load)
{
    if (load.outcome != PageLoad::Read) {
        next(); // the next one may vouch
        return;
    }
    if (PageAnalyser::isDetailPage(load.page)) {
        vouched();
    } else {
        // An item page on sale moved too: the marketplace stands in the way.
        m_verdict.walled = true;
    }
    finish();
}

void GoneItemsCheck::vouched()
{
    m_verdict.gone << m_moved;
    m_moved.clear();
}

void GoneItemsCheck::finish()
{
    m_verdict.kept << m_moved;
    m_moved.clear();
    m_running = false;
    emit finished(m_verdict);
}
