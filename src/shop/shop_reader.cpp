#include "shop/shop_reader.h"

#include "collection/page_document.h"

ShopReader::ShopReader(PageDocument &view, const Marketplace &marketplace, ItemRecordTable &records, int gapMs,
                       QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_analyser(marketplace, records, m_links)
    , m_walk(view, m_analyser, m_links)
    , m_gone(view)
{
    m_walk.setGapMs(gapMs);
    m_gone.setGapMs(gapMs);
}

void ShopReader::lend(bool lent)
{
    m_view.setPicturesLoaded(!lent);
}
