// The item under way, from its page to its end: loaded and checked, read
// once scrolled, handed to the download, or given back or rejected with the
// reason in the log.
#include "collection/batch_cycle.h"

#include "collection/item_record.h"
#include "collection/page_analysis.h"
#include "collection/page_attributes.h"
#include "collection/page_document.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "download/item_download.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

#include <QPointer>
#include <QUrl>

namespace {

// The marketplace moved the reader: the page that loaded stands on another
// host or path than the one asked for (a query or a fragment does not count).
bool movedElsewhere(const QString &asked, const QString &reported)
{
    const QUrl a = QUrl::fromUserInput(asked);
    const QUrl r = QUrl::fromUserInput(reported);
    return r.isValid() && !r.host().isEmpty()
        && (a.host().compare(r.host(), Qt::CaseInsensitive) != 0 || a.path() != r.path());
}

} // namespace

void BatchCycle::rejectLine(const QString &line, const QString &itemNo, const QString &address, Rejection why)
{
    const QString back = address.isEmpty() ? line : UrlInputLine{address, itemNo}.toString();
    m_s.lists.setAddUrlText(m_s.lists.AddUrlText() + QStringLiteral("\r\n") + back);
    switch (why) {
    case Rejection::NotDetailPage:
    case Rejection::Walled: // held at the wall, never rejected
        logLine(itemNo, QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"), address);
        break;
    case Rejection::NotLoaded:
        logLine(itemNo, QStringLiteral("采集中:页面加载失败(无法连接或超时)_"), address);
        break;
    case Rejection::NotResponding:
        logLine(itemNo, QStringLiteral("采集中:页面无响应,已放弃该页面_"), address);
        break;
    }
    logLine(itemNo, QStringLiteral("采集中:本次采集结束_"), address);
    emit itemEnded();
}

void BatchCycle::holdAtWall(const PendingLine &taken)
{
    // Every further item would meet the same page: the queue waits for the
    // user instead of draining into the address box.
    m_s.lists.readyDownList().insert(0, PendingLine{taken.itemNo, taken.address, QString()}.toString());
    logLine(taken.itemNo, QStringLiteral("采集中:Zorvane要求验证,请在打开的页面中完成验证后点击启动继续采集_"),
            taken.address);
    m_s.listFile.SaveLists();
    StopPickCmd_Click();
    emit verificationWall(m_wallAddress);
    emit itemEnded();
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
    if (!m_s.analyser.AnalysePage(page, 1, Slot, true)) {
        m_wallAddress = page.url;
        done(movedElsewhere(address, page.url) ? Rejection::Walled : Rejection::NotDetailPage);
        return;
    }
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
    emit itemEnded();
}
