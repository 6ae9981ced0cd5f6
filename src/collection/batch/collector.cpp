#include "collection/batch/collector.h"

#include "collection/batch/address_box.h"
#include "collection/item_record.h"
#include "collection/marketplace.h"
#include "collection/page_analysis.h"
#include "collection/page_attributes.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "download/item_download.h"

#include <QPointer>

namespace {

// A record the fast pace reads a page into ahead of time, one per collector.
constexpr int ScratchSlots = 128;

FastScroller::Timing fastTiming(const Collector::Timing &timing)
{
    FastScroller::Timing fast = timing.fast;
    fast.requestLimitMs = timing.pages.requestLimitMs;
    return fast;
}

// The item number a page gives an item taken as `itemNo`: the user's number,
// "->" and the page's. An item collected again comes back with that whole
// number as its own: it keeps it instead of growing another "->" each time.
QString numberWithPages(const QString &itemNo, const QString &pageNo)
{
    const QString suffix = QStringLiteral("->") + pageNo;
    QString own = itemNo;
    while (own.endsWith(suffix))
        own.chop(suffix.size());
    return own + suffix;
}

} // namespace

Collector::Collector(int slot, const Services &services, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_slot(slot)
    , m_s(services)
    , m_timing(timing)
    , m_standard(services.view, timing.scrollerMs, timing.maxScrollMs)
    , m_fast(services.view, fastTiming(timing))
{
    for (PageScroller *scroller : {static_cast<PageScroller *>(&m_standard), static_cast<PageScroller *>(&m_fast)}) {
        connect(scroller, &PageScroller::progressed, this, [this] { logItem(QStringLiteral("采集中:图片地址分析中..._")); });
        connect(scroller, &PageScroller::arrived, this, &Collector::finishScrolling);
        connect(scroller, &PageScroller::timedOut, this, [this] {
            logItem(QStringLiteral("采集中:页面在限定时间内未能稳定,按页面现有内容继续采集_"));
            finishScrolling();
        });
        connect(scroller, &PageScroller::pageLost, this, &Collector::pageLost);
        connect(scroller, &PageScroller::picturesSeen, &m_s.download, &ItemDownload::prefetch);
    }
    connect(&m_standard, &PageScroller::scrolled, this, &Collector::reportScroll);
    connect(&m_s.download, &ItemDownload::picturesProgressed, this, &Collector::picturesProgressed);
    connect(&m_s.download, &ItemDownload::finished, this, [this] { end(Ending::Saved); });
    connect(&m_s.download, &ItemDownload::failed, this, [this](int, const QString &reason) {
        logItem(QStringLiteral("采集中:") + reason + QStringLiteral(",宝贝已放回待下载列表顶部,采集暂停_"));
        end(Ending::SaveFailed);
    });
    connect(&m_s.download, &ItemDownload::nothingFetched, this, [this](int, const QString &reason, bool noAnswer) {
        const auto failure = [this, reason] {
            giveUp(QStringLiteral("采集中:") + reason + QStringLiteral(",宝贝已放回待下载列表顶部_"),
                   QStringLiteral("采集中:") + reason + QStringLiteral(",已放弃该宝贝_"));
        };
        if (noAnswer)
            awaitNetwork(failure);
        else
            failure();
    });
}

void Collector::setStep(Step step)
{
    m_step = step;
    if (step == Step::WaitingForTurn)
        m_readySince.start();
    else
        m_readySince.invalidate();
    m_s.records.setPickBusy(m_slot, isCollecting());
    emit stepChanged(step);
}

void Collector::logTaken(const QString &text)
{
    m_s.log.AddItemMesg(m_taken.itemNo, text, m_taken.address);
    emit stepLogged(m_taken.itemNo, text);
}

void Collector::logItem(const QString &text)
{
    const ItemRecord &item = m_s.records.record(m_slot);
    m_s.log.AddItemMesg(item.PickItemNo, text, item.PickUrl);
    emit stepLogged(item.PickItemNo, text);
}

void Collector::take(const PendingLine &taken, quint64 ticket, quint64 requestedAt, bool fast)
{
    m_taken = PendingLine{taken.itemNo, taken.address, QString(), true, taken.sentBack};
    // A copy a killed run left may be taken over; one sent back on purpose gets a folder of its own.
    m_interrupted = taken.interrupted && !taken.sentBack;
    m_ticket = ticket;
    m_requestedAt = requestedAt;
    m_movedTo.clear();
    m_folderName.reset();
    m_pageRead = false;
    m_takenSince.start();
    setStep(Step::Loading);
    // The pace is taken up by each item as it is taken: its scroller, its
    // connections and how long its page may take.
    m_fastItem = fast;
    m_scroller = fast ? static_cast<PageScroller *>(&m_fast) : &m_standard;
    m_s.download.setConnections(fast ? ItemDownload::MaxConnections : 1);
    m_s.view.setPatience(m_timing.pages.patience(fast));
    logTaken(QStringLiteral("采集中:加载_"));
    // Nothing an earlier page left in the record may reach this item, the
    // title included: a page without one must not take the previous one's.
    ItemRecord &item = m_s.records.record(m_slot);
    item.PickTitle.clear();
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);
    QPointer<Collector> self(this);
    m_s.view.NavigateAndRead(m_taken.address, this, [self](const PageLoad &load) {
        if (self && !self->m_halted)
            self->onPageLoaded(load);
    });
}

void Collector::onPageLoaded(const PageLoad &load)
{
    switch (load.outcome) {
    case PageLoad::Read:
        break;
    case PageLoad::NotAnAddress:
        reject(QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"));
        return;
    case PageLoad::NotLoaded:
        awaitNetwork([this] { reject(QStringLiteral("采集中:页面加载失败(无法连接或超时)_")); });
        return;
    case PageLoad::NotResponding:
        m_s.view.renew();
        reject(QStringLiteral("采集中:页面无响应,已放弃该页面_"));
        return;
    }
    logTaken(QStringLiteral("采集中:加载完成_"));
    const PageSnapshot &page = load.page;
    readRecord(page);
    logTaken(QStringLiteral("采集中:基本信息获取完成_"));
    m_lastHeight = page.scrollHeight;
    logTaken(QStringLiteral("采集中:判断地址合法性_"));
    if (!PageAnalyser::isDetailPage(page)) {
        // Only an item page's own address says anything about the item when
        // it moves; any other address is simply not an item's.
        if (!m_s.analyser.isItemLink(m_taken.address) || !Marketplace::movedElsewhere(m_taken.address, page.url)) {
            reject(QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"));
            return;
        }
        m_movedTo = page.url;
        end(Ending::Moved);
        return;
    }
    m_pageRead = true;
    setStep(Step::Scrolling);
    emit itemPageLoaded(page.url);
    if (m_fastItem) {
        // The pictures the page names already can be on their way while it is scrolled.
        ItemRecord &scratch = m_s.records.record(ScratchSlots + m_slot);
        m_s.analyser.AnalysePage(page, 1, ScratchSlots + m_slot, false);
        m_s.download.prefetch(scratch.MainImgList + scratch.DescImgList);
        ClearCollection(scratch.MainImgList);
        ClearCollection(scratch.DescImgList);
    }
    m_folderName = ItemDownload::folderNameOf(m_s.records.record(m_slot).PickTitle);
    emit titleKnown();
    logTaken(QStringLiteral("采集中:开始图片URL分析_"));
    m_scroller->start(m_lastHeight);
}

void Collector::readRecord(const PageSnapshot &page)
{
    ItemRecord &item = m_s.records.record(m_slot);
    const QString &itemNo = m_taken.itemNo;
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
        const QString pageNo = PlainPageText(item.PickItemNo);
        if (pageNo.trimmed().isEmpty()) {
            // An empty 货号 cell names no number: nothing to append.
            item.PickItemNo = itemNo;
        } else {
            // The folder title is cleaned once more as the item is saved, the page's number with it.
            item.PickTitle = BlankControls(item.PickItemNo) + item.PickTitle;
            item.PickItemNo = numberWithPages(itemNo, pageNo);
        }
    }
}

void Collector::finishScrolling()
{
    setStep(Step::Reading);
    QPointer<Collector> self(this);
    m_s.view.readSnapshot([self](const PageSnapshot &page) {
        if (!self || self->m_halted)
            return;
        if (!page.valid) {
            self->pageLost();
            return;
        }
        self->m_s.analyser.AnalysePage(page, 1, self->m_slot, false);
        self->logItem(QStringLiteral("采集中:图片地址分析完成_"));
        self->setStep(Step::WaitingForTurn);
        emit self->readyToSave();
    });
}

void Collector::save()
{
    setStep(Step::Saving);
    logItem(QStringLiteral("采集中:开始下载图片_"));
    m_s.download.DownloadItemImages(m_slot, m_interrupted);
}

void Collector::reportScroll(double amount, double height)
{
    QPointer<Collector> self(this);
    const quint64 ticket = m_ticket;
    m_s.view.readScrollState([self, ticket, amount, height](const std::optional<ScrollState> &state) {
        if (self && state && self->m_ticket == ticket && self->isCollecting())
            emit self->scrollProgress(amount, height, int(state->pictures.size()));
    });
}

// The page stopped answering while it was scrolled or read: nothing of it can
// be trusted, so the view starts afresh.
void Collector::pageLost()
{
    m_s.view.renew();
    giveUp(QStringLiteral("采集中:页面无响应,读取失败,宝贝已放回待下载列表顶部_"),
           QStringLiteral("采集中:页面无响应,已放弃该页面_"));
}

void Collector::giveUp(const QString &onceText, const QString &twiceText)
{
    m_scroller->stop();
    m_s.download.dropPrefetched();
    ItemRecord &item = m_s.records.record(m_slot);
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);
    if (m_s.failedBefore(m_taken)) {
        reject(twiceText);
        return;
    }
    logItem(onceText);
    end(Ending::GivenBack);
}

void Collector::reject(const QString &why)
{
    giveBackToAddressBox(m_s.lists, m_taken.toString(), m_taken.itemNo, m_taken.address);
    logTaken(why);
    logTaken(QStringLiteral("采集中:本次采集结束_"));
    end(Ending::Rejected);
}

void Collector::awaitNetwork(std::function<void()> failure)
{
    m_failure = std::move(failure);
    setStep(Step::AwaitingNetwork);
    emit unanswered();
}

void Collector::networkChecked(bool reachable)
{
    if (m_step != Step::AwaitingNetwork)
        return;
    const std::function<void()> failure = std::exchange(m_failure, {});
    if (reachable) {
        failure();
        return;
    }
    m_s.download.dropPrefetched();
    ItemRecord &item = m_s.records.record(m_slot);
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);
    logTaken(QStringLiteral("采集中:网络不通,宝贝已放回待下载列表顶部,网络恢复后继续采集_"));
    end(Ending::Offline);
}

void Collector::end(Ending ending)
{
    // Nothing of the item stays here: whatever comes later is about another.
    const End end{ending, m_slot, std::exchange(m_taken, PendingLine{}), std::exchange(m_ticket, 0), std::exchange(m_movedTo, {})};
    m_folderName.reset();
    m_failure = {};
    setStep(Step::Idle);
    emit ended(end);
}

void Collector::check(const QString &address, std::function<void(const PageLoad &)> done)
{
    setStep(Step::Checking);
    QPointer<Collector> self(this);
    m_s.view.NavigateAndRead(address, this, [self, done = std::move(done)](const PageLoad &load) {
        if (!self || self->m_halted)
            return;
        self->setStep(Step::Idle);
        if (load.outcome == PageLoad::NotResponding)
            self->m_s.view.renew();
        done(load);
    });
}

void Collector::halt()
{
    m_halted = true;
    m_scroller->stop();
    m_s.download.halt();
}

void Collector::release()
{
    m_taken = PendingLine{};
    m_ticket = 0;
    m_folderName.reset();
    setStep(Step::Idle);
}
