// The item under way, from its page to its end: loaded and checked, read
// once scrolled, handed to the download, or given back or rejected with the
// reason in the log.
#include "collection/batch/batch_cycle.h"

#include "collection/item_record.h"
#include "collection/page_analysis.h"
#include "collection/page_attributes.h"
#include "collection/page_document.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "download/item_download.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

#include "collection/marketplace.h"

#include <QPointer>

void BatchCycle::rejectLine(const QString &line, const QString &itemNo, const QString &address, Rejection why)
{
    switch (why) {
    case Rejection::NotDetailPage:
    case Rejection::Moved: // decided by the moved-page rule, never rejected as such
        returnToBox(line, itemNo, address, QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"));
        break;
    case Rejection::NotLoaded:
        returnToBox(line, itemNo, address, QStringLiteral("采集中:页面加载失败(无法连接或超时)_"));
        break;
    case Rejection::NotResponding:
        returnToBox(line, itemNo, address, QStringLiteral("采集中:页面无响应,已放弃该页面_"));
        break;
    }
    emit itemEnded();
}

void BatchCycle::returnToBox(const QString &line, const QString &itemNo, const QString &address, const QString &why)
{
    const QString back = address.isEmpty() ? line : UrlInputLine{address, itemNo}.toString();
    const QString box = m_s.lists.AddUrlText();
    m_s.lists.setAddUrlText(box.isEmpty() ? back : box + QStringLiteral("\r\n") + back);
    logLine(itemNo, why, address);
    logLine(itemNo, QStringLiteral("采集中:本次采集结束_"), address);
}

void BatchCycle::LoadPickPage(const QString &itemNo, const QString &address, PageVerdict done)
{
    logLine(itemNo, QStringLiteral("采集中:加载_"), address);
    // Nothing an earlier page left in the record may reach this item, the
    // title included: a page without one must not take the previous one's.
    ItemRecord &item = m_s.records.record(Slot);
    item.PickTitle.clear();
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);

    m_s.view.NavigateAndRead(address, this, [this, itemNo, address, done](const PageLoad &load) {
        onPageLoaded(itemNo, address, load, done);
    });
}

void BatchCycle::onPageLoaded(const QString &itemNo, const QString &address, const PageLoad &load,
                              const PageVerdict &done)
{
    switch (load.outcome) {
    case PageLoad::Read:
        break;
    case PageLoad::NotAnAddress:
        done(Rejection::NotDetailPage);
        return;
    case PageLoad::NotLoaded:
        done(Rejection::NotLoaded);
        return;
    case PageLoad::NotResponding:
        m_s.view.renew();
        done(Rejection::NotResponding);
        return;
    }
    logLine(itemNo, QStringLiteral("采集中:加载完成_"), address);
    const PageSnapshot &page = load.page;
    ItemRecord &item = m_s.records.record(Slot);
    if (const std::optional<QString> title = GetPageTitle(page))
        item.PickTitle = CleanPageTitle(*title);
    item.PickUrl = PlainPageAddress(page.url);
    item.PickItemNo = itemNo;
    PickAttributes(page, item);
    for (AttributePair &attribute : item.AttrList) {
        attribute.first = PlainPageText(attribute.first);
        attribute.second = PlainPageText(attribute.second);
    }
    if (item.PickItemNo != itemNo) {
        // The folder title is cleaned once more as the item is saved, the page's number with it.
        item.PickTitle = BlankControls(item.PickItemNo) + item.PickTitle;
        item.PickItemNo = itemNo + QStringLiteral("->") + PlainPageText(item.PickItemNo);
    }
    logLine(itemNo, QStringLiteral("采集中:基本信息获取完成_"), address);
    m_lastHeight = page.scrollHeight;
    logLine(itemNo, QStringLiteral("采集中:判断地址合法性_"), address);
    if (!m_s.analyser.isDetailPage(page)) {
        m_movedTo = page.url;
        done(Marketplace::movedElsewhere(address, page.url) ? Rejection::Moved : Rejection::NotDetailPage);
        return;
    }
    // Items whose page moved before are taken off sale: this item page was not moved.
    giveBackSoldOut(m_moved.itemPageLoaded(page.url));
    if (m_itemFast) {
        // The pictures the page names already can be on their way while it is scrolled.
        ItemRecord &scratch = m_s.records.record(ScratchSlot);
        m_s.analyser.AnalysePage(page, 1, ScratchSlot, false);
        m_s.download.prefetch(scratch.MainImgList + scratch.DescImgList);
        ClearCollection(scratch.MainImgList);
        ClearCollection(scratch.DescImgList);
    }
    done(std::nullopt);
}

void BatchCycle::finishScrolling()
{
    QPointer<BatchCycle> self(this);
    m_s.view.readSnapshot([self](const PageSnapshot &page) {
        if (!self || self->m_halted)
            return;
        if (!page.valid) {
            self->readFailed();
            return;
        }
        self->m_s.analyser.AnalysePage(page, 1, Slot, false);
        self->logItem(QStringLiteral("采集中:图片地址分析完成_"));
        self->logItem(QStringLiteral("采集中:开始下载图片_"));
        self->m_s.download.DownloadItemImages(Slot);
    });
}

void BatchCycle::reportScroll(double amount, double height)
{
    QPointer<BatchCycle> self(this);
    const QString item = m_taken.toString();
    m_s.view.readScrollState([self, item, amount, height](const std::optional<ScrollState> &state) {
        if (self && state && self->m_taken.toString() == item)
            emit self->scrollProgress(amount, height, int(state->pictures.size()));
    });
}

// The page stopped answering while it was scrolled or read: nothing of it can
// be trusted, so the item goes back as it was taken and the view starts afresh.
void BatchCycle::readFailed()
{
    m_scroller->stop();
    m_s.download.dropPrefetched();
    m_s.view.renew();
    ItemRecord &item = m_s.records.record(Slot);
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);
    const QString line = m_taken.toString();
    if (m_lastFailed == line) {
        m_lastFailed.clear();
        m_s.records.setPickBusy(Slot, false);
        rejectLine(line, m_taken.itemNo, m_taken.address, Rejection::NotResponding);
        m_s.listFile.SaveLists();
        return;
    }
    m_lastFailed = line;
    logItem(QStringLiteral("采集中:页面无响应,读取失败,宝贝已放回待下载列表顶部_"));
    giveBack();
    emit itemEnded();
}

void BatchCycle::onDownloadFailed(const QString &reason)
{
    logItem(QStringLiteral("采集中:") + reason + QStringLiteral(",宝贝已放回待下载列表顶部,采集暂停_"));
    giveBack();
    // Collecting on would only fail on the next item too.
    StopPickCmd_Click();
    emit itemEnded();
}

void BatchCycle::giveBack()
{
    m_s.lists.readyDownList().insert(0, m_taken.toString());
    m_s.records.setPickBusy(Slot, false);
    m_s.listFile.SaveLists();
}

void BatchCycle::endItem()
{
    m_lastFailed.clear();
    m_s.lists.forgetSentBack(m_taken.toString());
    emit itemEnded();
}
