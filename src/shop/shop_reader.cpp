#include "shop/shop_reader.h"

ShopReader::ShopReader(PageDocument &view, const Marketplace &marketplace, ItemRecordTable &records, int gapMs,
                       QObject *parent)
    : QObject(parent)
    , m_analyser(marketplace, records, m_links)
    , m_walk(view, m_analyser, m_links)
    , m_gone(view)
{
    m_walk.setGapMs(gapMs);
    m_gone.setGapMs(gapMs);
}
