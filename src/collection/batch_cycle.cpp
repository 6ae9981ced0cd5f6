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
#include "platform/net_check.h"

#include <QPointer>

#include <algorithm>

namespace {

FastScroller::Timing fastTiming(const BatchCycle::Intervals &intervals)
{
    FastScroller::Timing timing;
    timing.maxScrollMs = intervals.fastMaxScrollMs;
    timing.requestLimitMs = intervals.requestLimitMs;
    return timing;
}

} // namespace

BatchCycle::BatchCycle(const Services &services, const Intervals &intervals, QObject *parent)
    : QObject(parent)
    , m_s(services)
    , m_intervals(intervals)
    , m_standard(services.view, intervals.scrollerMs, intervals.maxScrollMs)
    , m_fast(services.view, fastTiming(intervals))
    , m_stopCaption(QStringLiteral("暂停"))
{
    m_controller.setInterval(intervals.controllerMs);
    m_controller.setObjectName(QStringLiteral("PickControlTimer"));
    connect(&m_controller, &QTimer::timeout, this, &BatchCycle::PickControlTimer_Timer);
    for (PageScroller *scroller : {static_cast<PageScroller *>(&m_standard), static_cast<PageScroller *>(&m_fast)}) {
        connect(scroller, &PageScroller::progressed, this,
                [this] { logItem(QStringLiteral("采集中:图片地址分析中..._")); });
        connect(scroller, &PageScroller::arrived, this, &BatchCycle::finishScrolling);
        connect(scroller, &PageScroller::timedOut, this, [this] {
            logItem(QStringLiteral("采集中:页面在限定时间内未能稳定,按页面现有内容继续采集_"));
            finishScrolling();
        });
        connect(scroller, &PageScroller::pageLost, this, &BatchCycle::readFailed);
        connect(scroller, &PageScroller::picturesSeen, &m_s.download, &ItemDownload::prefetch);
    }
    connect(&m_standard, &PageScroller::scrolled, this, &BatchCycle::reportScroll);
    connect(this, &BatchCycle::itemEnded, this, &BatchCycle::tickAtOnceWhenFast);
    connect(&m_s.download, &ItemDownload::finished, this, &BatchCycle::endItem);
    connect(&m_s.download, &ItemDownload::failed, this,
            [this](int, const QString &reason) { onDownloadFailed(reason); });
    m_s.listFile.setUnderWayLine([this] { return underWayLine(); });
}

void BatchCycle::logLine(const QString &itemNo, const QString &text, const QString &address)
{
    m_s.log.AddMesg(itemNo + text + address);
    emit stepLogged(itemNo, text);
}

void BatchCycle::logItem(const QString &text)
{
    const ItemRecord &item = m_s.records.record(Slot);
    logLine(item.PickItemNo, text, item.PickUrl);
}

void BatchCycle::setStartEnabled(bool enabled)
{
    m_startEnabled = enabled && m_startRefusal.isEmpty();
    emit uiStateChanged();
}

void BatchCycle::setStopCaption(const QString &caption)
{
    m_stopCaption = caption;
    emit uiStateChanged();
}

bool BatchCycle::isItemUnderWay() const
{
    return m_loading || m_s.records.PickBusy(Slot);
}

void BatchCycle::refuseStarts(const QString &logLine)
{
    m_startRefusal = logLine;
    setStartEnabled(false);
}

void BatchCycle::StartPickCmd_Click(std::function<void(bool)> then)
{
    if (!m_startRefusal.isEmpty()) {
        m_s.log.AddMesg(m_startRefusal);
        if (then)
            then(false);
        return;
    }
    m_startWaiters.append(std::move(then));
    m_pausedDuringCheck = false; // the latest press counts
    if (m_startWaiters.size() > 1)
        return; // the check already under way answers this press too
    QPointer<BatchCycle> self(this);
    m_s.net.CheckNetOpen(this, [self](bool reachable) {
        if (!self || self->m_halted)
            return;
        const auto waiters = std::exchange(self->m_startWaiters, {});
        const bool paused = std::exchange(self->m_pausedDuringCheck, false);
        bool started = false;
        if (!reachable) {
            self->m_s.log.AddMesg(QStringLiteral("启动采集失败,请检测网络是否连通!"));
        } else if (paused) {
            // "暂停" came after "启动": the start is not carried out. A pause
            // of a running controller still takes effect at its next tick.
            if (!self->m_controller.isActive())
                self->m_pauseFlag = false;
            self->m_s.log.AddMesg(QStringLiteral("网络检测期间已按暂停,未启动采集"));
        } else {
            started = true;
            self->m_pauseFlag = false;
            self->m_controller.start();
            self->tickAtOnceWhenFast();
            self->setStartEnabled(false);
            self->m_s.log.AddMesg(QStringLiteral(
                "启动采集,一旦检测到待下载列表有宝贝,将自行采集下载并启动列表旁的状态闪烁指示灯."));
        }
        for (const auto &waiter : waiters) {
            if (waiter)
                waiter(started);
        }
    });
}

void BatchCycle::tickAtOnceWhenFast()
{
    // At the fast pace nothing waits for the controller's next tick.
    if (m_pace != Pace::Fast || !m_controller.isActive())
        return;
    QTimer::singleShot(0, this, [this] {
        if (m_controller.isActive())
            PickControlTimer_Timer();
    });
}

void BatchCycle::StopPickCmd_Click()
{
    m_s.log.AddMesg(QStringLiteral("启动暂停指示，待最近一次采集完成后将关闭采集"));
    m_pauseFlag = true;
    if (!m_startWaiters.isEmpty())
        m_pausedDuringCheck = true;
}

void BatchCycle::PickControlTimer_Timer()
{
    // While a page loads, the tick that started it has not ended yet.
    if (m_loading)
        return;
    if (m_s.records.PickBusy(Slot)) {
        if (m_pauseFlag)
            setStopCaption(QStringLiteral("等待暂停"));
        m_denVisible = !m_denVisible;
        const qsizetype k = m_indicator.size();
        m_indicator = QStringLiteral("采集中...").left(k % 6 + 1);
        emit uiStateChanged();
        return;
    }
    m_indicator.clear();
    emit uiStateChanged();
    if (m_pauseFlag) {
        setStartEnabled(true);
        m_controller.stop();
        setStopCaption(QStringLiteral("暂停"));
        m_pauseFlag = false;
        emit stopped();
        return;
    }
    PickNextItem();
}

void BatchCycle::PickNextItem()
{
    if (m_viewLent)
        return;
    ItemList &pending = m_s.lists.readyDownList();
    if (pending.count() == 0) {
        emit idle();
        return;
    }
    const QString line = pending.at(0);
    const PendingLine taken = PendingLine::parse(line);
    if (!taken.hasAddress) {
        // Only an edited list file can hold such a line: there is nothing to load.
        removeTakenLine(line);
        rejectLine(line, taken.itemNo, QString(), Rejection::NotDetailPage);
        return;
    }
    m_loading = true;
    takeUpPace();
    QPointer<BatchCycle> self(this);
    LoadPickPage(taken.itemNo, taken.address, [self, line, taken](std::optional<Rejection> rejected) {
        if (!self || self->m_halted)
            return;
        self->m_loading = false;
        self->removeTakenLine(line);
        if (rejected) {
            self->rejectLine(line, taken.itemNo, taken.address, *rejected);
            return;
        }
        self->m_taken = PendingLine{taken.itemNo, taken.address, QString()};
        self->m_s.records.setPickBusy(Slot, true);
        self->logLine(taken.itemNo, QStringLiteral("采集中:开始图片URL分析_"), taken.address);
        self->m_s.listFile.SaveLists();
        self->m_scroller->start(self->m_lastHeight);
    });
}

void BatchCycle::takeUpPace()
{
    m_itemFast = m_pace == Pace::Fast;
    m_scroller = m_itemFast ? static_cast<PageScroller *>(&m_fast) : &m_standard;
    m_s.download.setConnections(m_itemFast ? ItemDownload::MaxConnections : 1);
    m_s.view.setPatience(m_itemFast ? m_intervals.fastPatience : m_intervals.standardPatience);
}

void BatchCycle::removeTakenLine(const QString &line)
{
    // The user may have edited the list while the page loaded: remove the
    // line that was taken, not whichever line is first now.
    ItemList &pending = m_s.lists.readyDownList();
    if (pending.count() > 0 && pending.at(0) == line) {
        pending.removeAt(0);
        return;
    }
    const qsizetype position = pending.entries().indexOf(line);
    if (position >= 0)
        pending.removeAt(int(position));
}

void BatchCycle::rejectLine(const QString &line, const QString &itemNo, const QString &address, Rejection why)
{
    const QString back = address.isEmpty() ? line : UrlInputLine{address, itemNo}.toString();
    m_s.lists.setAddUrlText(m_s.lists.AddUrlText() + QStringLiteral("\r\n") + back);
    switch (why) {
    case Rejection::NotDetailPage:
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
        done(Rejection::NotDetailPage);
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

QString BatchCycle::underWayLine() const
{
    if (!m_s.records.PickBusy(Slot))
        return QString();
    return PendingLine{m_taken.itemNo, m_taken.address, InterruptedMarker}.toString();
}

void BatchCycle::halt()
{
    m_halted = true;
    m_controller.stop();
    m_scroller->stop();
}

void BatchCycle::requeueInterruptedItem()
{
    if (!m_s.records.PickBusy(Slot))
        return;
    m_s.lists.readyDownList().insert(0, underWayLine());
    // From here the pending list holds it: the file must not list it twice.
    m_s.records.setPickBusy(Slot, false);
}
