#pragma once

#include "collection/item_record.h"
#include "collection/page_analysis.h"
#include "shop/gone_items_check.h"
#include "shop/offer_list_walk.h"

#include <QObject>

class PageDocument;
struct Marketplace;

// What one view brings to a check of the watched shops: a walk of a shop's
// offer list and the check of the items that seem gone, with links and an
// analyser of its own, so that several shops can be read side by side, one
// in each collector's view. Each shop's pages keep the gap between them.
class ShopReader : public QObject
{
    Q_OBJECT
public:
    ShopReader(PageDocument &view, const Marketplace &marketplace, ItemRecordTable &records, int gapMs,
               QObject *parent = nullptr);

    // A check reads links and where pages lead, never pictures: the view
    // loads none until it goes back to its collector.
    void lend(bool lent);
    OfferListWalk &walk() { return m_walk; }
    GoneItemsCheck &gone() { return m_gone; }

private:
    PageDocument &m_view;
    ShopLinks m_links;
    PageAnalyser m_analyser;
    OfferListWalk m_walk;
    GoneItemsCheck m_gone;
};
