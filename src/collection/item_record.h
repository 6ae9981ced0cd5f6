#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>

using AttributePair = QPair<QString, QString>; // name, value

// What the collector learned about one item; filled by the page analysis,
// consumed and emptied by the item download.
struct ItemRecord
{
    QString PickTitle;   // cleaned page title
    QString PickUrl;     // address the loaded page reports
    QString PickItemNo;  // item number (货号)
    QStringList MainImgList;
    QStringList DescImgList;
    QList<AttributePair> AttrList;
};

// The 256 item records and busy flags, indexed by slot; the batch collector uses slot 0.
class ItemRecordTable
{
public:
    static constexpr int SlotCount = 256;

    ItemRecord &record(int slot) { return m_records.at(static_cast<size_t>(slot)); }
    const ItemRecord &record(int slot) const { return m_records.at(static_cast<size_t>(slot)); }

    bool PickBusy(int slot) const { return m_busy.at(static_cast<size_t>(slot)); }
    void setPickBusy(int slot, bool busy) { m_busy.at(static_cast<size_t>(slot)) = busy; }

private:
    std::array<ItemRecord, SlotCount> m_records{};
    std::array<bool, SlotCount> m_busy{};
};

// Item links found on shop offer-list pages and whether the last page ended the run.
struct ShopLinks
{
    QStringList ShopItemLinks;
    bool ShopPageEnd = false;
};
