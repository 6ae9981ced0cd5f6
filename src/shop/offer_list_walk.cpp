#include "shop/offer_list_walk.h"

#include "collection/batch/batch_cycle.h"
#include "collection/item_record.h"
#include "collection/marketplace.h"
#include "collection/page_analysis.h"
#include "collection/page_document.h"

#include <limits>

OfferListWalk::OfferListWalk(PageDocument &view, PageAnalyser &analyser, ShopLinks &links, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_analyser(analyser)
    , m_links(links)
{
    m_gap.setSingleShot(true);
    connect(&m_gap, &QTimer::timeout, this, [this] { loadPage(m_gapPage); });
}

void OfferListWalk::start(const QString &shopAddress)
{
    m_running = true;
    m_result = Result{};
    m_result.shopAddress = shopAddress;
    m_nextPage = 1;
    m_firstSeenOn.clear();
    m_reread.clear();
    m_links.ShopPageEnd = false;
    m_links.ShopItemLinks.clear();
    loadPage(1);
}

void OfferListWalk::loadPage(int page)
{
    m_view.NavigateAndRead(Marketplace::shopPageAddress(m_result.shopAddress, page), this,
                           [this, page](const PageLoad &load) { onPageRead(page, load); });
}

void OfferListWalk::next(int page)
{
    if (page <= 0 || page >= std::numeric_limits<qint16>::max()) {
        end();
        return;
    }
    if (m_gapMs <= 0) {
        loadPage(page);
        return;
    }
    m_gapPage = page;
    m_gap.start(m_gapMs);
}

void OfferListWalk::onPageRead(int page, const PageLoad &load)
{
    if (load.outcome != PageLoad::Read) {
        if (load.outcome == PageLoad::NotResponding)
            m_view.renew();
        // What the view shows is not this page: reading it would end the walk
        // on a wrong page, or take an earlier page's links for this one's.
        m_result.failedPage = page;
        end();
        return;
    }
    ++m_result.pagesLoaded;
    const PageSnapshot &shown = load.page;
    if (m_result.movedPage == 0
        && Marketplace::movedElsewhere(Marketplace::shopPageAddress(m_result.shopAddress, page), shown.url)) {
        m_result.movedPage = page;
        m_result.movedTo = shown.url;
    }
    QStringList &links = m_links.ShopItemLinks;
    const qsizetype before = links.size();
    m_links.ShopPageEnd = false;
    if (!m_analyser.AnalysePage(shown, 0, BatchCycle::Slot, false)) {
        m_result.unlistedPage = page;
        emit pageRead(page);
        end();
        return;
    }
    const QStringList onPage = links.mid(before);
    links.resize(before);
    // The analyser marks the page after the last: it names no item.
    const bool empty = m_links.ShopPageEnd;
    m_links.ShopPageEnd = false;
    bool repeats = false;
    QStringList news;
    for (const QString &link : onPage) {
        const QString key = Marketplace::pageKey(link);
        const auto seen = m_firstSeenOn.constFind(key);
        if (seen == m_firstSeenOn.cend()) {
            m_firstSeenOn.insert(key, page);
            news << link;
        } else if (*seen < page) {
            repeats = true;
        }
    }
    const bool firstRead = page == m_nextPage;
    if (firstRead && !news.isEmpty())
        links << onPage; // as the page names them: 整店采集 numbers them so
    else
        links << news;
    emit pageRead(page);
    next(firstRead ? afterFirstRead(page, empty, !news.isEmpty(), repeats)
                   : afterRereading(page, empty, !news.isEmpty(), repeats));
}

int OfferListWalk::afterFirstRead(int page, bool empty, bool news, bool repeats)
{
    if (empty)
        return 0;
    m_nextPage = page + 1;
    if (repeats) {
        m_aheadNews = news;
        m_backNews = false;
        if (const int back = stepBack(page))
            return back;
    }
    // A page beyond the last may repeat an earlier one: walking on would never end.
    return news ? m_nextPage : 0;
}

int OfferListWalk::afterRereading(int page, bool empty, bool news, bool repeats)
{
    m_backNews = m_backNews || news;
    if (!empty && repeats) {
        if (const int back = stepBack(page))
            return back;
    }
    // Nothing new ahead nor behind: the page that sent the walk back was one
    // beyond the last, repeating an earlier one.
    return m_aheadNews || m_backNews ? m_nextPage : 0;
}

int OfferListWalk::stepBack(int page)
{
    const int back = page - 1;
    if (back < 1 || m_reread.contains(back))
        return 0;
    m_reread.insert(back);
    return back;
}

void OfferListWalk::end()
{
    m_gap.stop();
    m_result.links = m_links.ShopItemLinks;
    m_running = false;
    emit finished(m_result);
}
