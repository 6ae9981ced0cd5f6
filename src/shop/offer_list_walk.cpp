#include "shop/offer_list_walk.h"

#include "collection/batch/batch_cycle.h"
#include "collection/item_record.h"
#include "collection/marketplace.h"
#include "collection/page_analysis.h"
#include "collection/page_document.h"

#include <QSet>

#include <limits>

OfferListWalk::OfferListWalk(PageDocument &view, PageAnalyser &analyser, ShopLinks &links, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_analyser(analyser)
    , m_links(links)
{
    m_gap.setSingleShot(true);
    connect(&m_gap, &QTimer::timeout, this, &OfferListWalk::loadPage);
}

void OfferListWalk::start(const QString &shopAddress)
{
    m_running = true;
    m_result = Result{};
    m_result.shopAddress = shopAddress;
    m_page = 1;
    m_links.ShopPageEnd = false;
    m_links.ShopItemLinks.clear();
    loadPage();
}

void OfferListWalk::loadPage()
{
    if (m_links.ShopPageEnd || m_page == std::numeric_limits<qint16>::max()) {
        end();
        return;
    }
    m_view.NavigateAndRead(Marketplace::shopPageAddress(m_result.shopAddress, m_page), this,
                           [this](const PageLoad &load) { onPageRead(load); });
}

void OfferListWalk::onPageRead(const PageLoad &load)
{
    if (load.outcome != PageLoad::Read) {
        if (load.outcome == PageLoad::NotResponding)
            m_view.renew();
        // What the view shows is not this page: reading it would end the walk
        // on a wrong page, or take an earlier page's links for this one's.
        m_result.failedPage = m_page;
        end();
        return;
    }
    ++m_result.pagesLoaded;
    const PageSnapshot &page = load.page;
    QStringList &links = m_links.ShopItemLinks;
    const qsizetype before = links.size();
    const QSet<QString> known(links.cbegin(), links.cend());
    const bool listed = m_analyser.AnalysePage(page, 0, BatchCycle::Slot, false);
    if (m_page == 1) {
        m_result.shopListed = listed;
        m_result.firstPageAddress = page.url;
    }
    bool news = false;
    for (qsizetype i = before; i < links.size() && !news; ++i)
        news = !known.contains(links.at(i));
    if (!news && links.size() > before) {
        // A page beyond the last may repeat an earlier one: its links are
        // already queued, and walking on would never end.
        links.resize(before);
        m_links.ShopPageEnd = true;
    }
    emit pageRead(m_page);
    ++m_page;
    if (m_links.ShopPageEnd || m_gapMs <= 0)
        loadPage();
    else
        m_gap.start(m_gapMs);
}

void OfferListWalk::end()
{
    m_result.links = m_links.ShopItemLinks;
    m_running = false;
    emit finished(m_result);
}
