#pragma once

#include "collection/item_record.h"
#include "collection/marketplace.h"
#include "collection/page_document.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Decides whether a page is an item detail page and collects image addresses
// and shop item links from the serialised blocks of a page snapshot. Holds the
// compiled patterns; the records and the shop links belong to the caller.
class PageAnalyser
{
public:
    PageAnalyser(const Marketplace &marketplace, ItemRecordTable &records, ShopLinks &shopLinks);

    // Check only: isDetailPage. Extract: fills the slot's image lists; true
    // only for a shop page, whose links it collects (a page without a shop
    // block ends a shop walk).
    bool AnalysePage(const PageSnapshot &page, int mainMode, int slot, bool checkOnly);
    // The page holds an item's own blocks, the gallery and the description.
    // A shop's offer list, which an item address may lead to, is none.
    static bool isDetailPage(const PageSnapshot &page);
    // The address is an item's detail page address (the item link pattern
    // from its start; the scheme in any case, or typed without one).
    bool isItemLink(const QString &address) const;

    // mainMode 1: addresses from the "original" entries of the gallery's JSON;
    // otherwise every image address in the markup.
    void PickMainImages(const QString &markup, int mainMode, int slot);
    // Description image addresses in page order, repeats kept.
    void PickDescImages(const QString &markup, int slot);
    // Every second item link: the offer list names each item twice in a row.
    void PickShopItemLinks(const QString &markup);

    // The address one description match contributes: cut at its first
    // backslash and, when it holds two or more src="http… addresses, the first
    // of them without its src=" prefix.
    QString DescImageAddress(const QString &matchText) const;

private:
    ItemRecordTable &m_records;
    ShopLinks &m_shopLinks;
    QRegularExpression m_detailPattern;
    QRegularExpression m_plainPattern;
    QRegularExpression m_srcPattern;
    QRegularExpression m_itemLinkPattern;
};

// Removes repeated entries in place; the first occurrence stays.
void RemoveDuplicates(QStringList &list);
