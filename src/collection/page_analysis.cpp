#include "collection/page_analysis.h"

#include "collection/page_patterns.h"

#include <QSet>
#include <QUrl>

namespace {

// The marketplace's JSON gallery entry, "original":"http…, is this long
// before the address starts.
constexpr qsizetype OriginalPrefixLength = 12;
// src=" in front of an address.
constexpr qsizetype SrcPrefixLength = 5;

QString upToBackslash(const QString &text)
{
    const qsizetype cut = text.indexOf(QLatin1Char('\\'));
    return cut < 0 ? text : text.left(cut);
}

} // namespace

PageAnalyser::PageAnalyser(const Marketplace &marketplace, ItemRecordTable &records, ShopLinks &shopLinks)
    : m_records(records)
    , m_shopLinks(shopLinks)
    , m_detailPattern(pagePattern(QStringLiteral(R"re(("original":"http:|"original":"https:)//.*?(\.jpg|\.bmp|\.gif|\.png))re")))
    , m_plainPattern(pagePattern(QStringLiteral(R"re((http:|https:)//.*?(\.jpg|\.bmp|\.gif|\.png))re")))
    , m_srcPattern(pagePattern(QStringLiteral(R"re((src="http:|https:)//.*?(\.jpg|\.bmp|\.gif|\.png))re")))
    , m_itemLinkPattern(pagePattern(marketplace.itemLinkPattern()))
{
}

bool PageAnalyser::AnalysePage(const PageSnapshot &page, int mainMode, int slot, bool checkOnly)
{
    if (checkOnly)
        return isDetailPage(page);
    for (const PageBlock &block : page.blocks) {
        if (block.id == u"mod-detail") {
            PickMainImages(block.innerHtml, mainMode, slot);
        } else if (block.id == u"desc-lazyload-container") {
            PickDescImages(block.innerHtml, slot);
        } else if (block.id == u"wp-all-offer-tab") {
            PickShopItemLinks(block.innerHtml);
            return true;
        }
    }
    m_shopLinks.ShopPageEnd = true;
    return false;
}

bool PageAnalyser::isItemLink(const QString &address) const
{
    const QString full = QUrl::fromUserInput(address.trimmed()).toString();
    return m_itemLinkPattern.match(full, 0, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
        .hasMatch();
}

bool PageAnalyser::isDetailPage(const PageSnapshot &page)
{
    bool main = false;
    bool description = false;
    for (const PageBlock &block : page.blocks) {
        main = main || block.id == u"mod-detail";
        description = description || block.id == u"desc-lazyload-container";
    }
    return main && description;
}

void PageAnalyser::PickMainImages(const QString &markup, int mainMode, int slot)
{
    QStringList &list = m_records.record(slot).MainImgList;
    const QRegularExpression &pattern = mainMode == 1 ? m_detailPattern : m_plainPattern;
    for (const QString &match : allMatches(pattern, markup)) {
        const QString address = upToBackslash(match);
        list.append(mainMode == 1 ? address.mid(OriginalPrefixLength) : address);
    }
    RemoveDuplicates(list);
}

void PageAnalyser::PickDescImages(const QString &markup, int slot)
{
    QStringList &list = m_records.record(slot).DescImgList;
    for (const QString &match : allMatches(m_plainPattern, markup))
        list.append(DescImageAddress(match));
}

QString PageAnalyser::DescImageAddress(const QString &matchText) const
{
    const QString text = upToBackslash(matchText);
    // Only the first two matches matter: "two or more" picks the first.
    QRegularExpressionMatchIterator it = m_srcPattern.globalMatch(text);
    if (!it.hasNext())
        return text;
    const QString first = it.next().captured(0);
    return it.hasNext() ? first.mid(SrcPrefixLength) : text;
}

void PageAnalyser::PickShopItemLinks(const QString &markup)
{
    const QStringList links = allMatches(m_itemLinkPattern, markup);
    if (links.size() <= 1) {
        m_shopLinks.ShopPageEnd = true;
        return;
    }
    for (qsizetype i = 0; i < links.size(); i += 2)
        m_shopLinks.ShopItemLinks.append(links.at(i));
}

void RemoveDuplicates(QStringList &list)
{
    if (list.size() < 2)
        return;
    // Same result as comparing every pair, without the quadratic walk on long lists.
    QSet<QString> seen;
    seen.reserve(list.size());
    qsizetype kept = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (seen.contains(list.at(i)))
            continue;
        seen.insert(list.at(i));
        if (kept != i)
            list[kept] = list.at(i);
        ++kept;
    }
    list.resize(kept);
}
