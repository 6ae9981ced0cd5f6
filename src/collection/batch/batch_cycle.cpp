#include "collection/batch/batch_cycle.h"

#include "collection/item_record.h"
#include "collection/page_document.h"
#include "collection/status_log.h"
#include "download/item_download.h"
#include "lists/downloaded_addresses.h"
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
    m_s.listFile.setUnderWayLines([this] { return underWayLines(); });
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
            self->m_moved.startRun();
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
        putBackUndecided();
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
    skipDownloadedLines();
    ItemList &pending = m_s.lists.readyDownList();
    if (pending.count() == 0) {
        if (!m_moved.isEmpty()) {
            decideAtQueueEnd();
            return;
        }
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
        if (rejected == Rejection::Moved) {
            self->onMoved(taken);
            return;
        }
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

bool BatchCycle::isDownloaded(const QString &address) const
{
    return m_s.downloaded.contains(address);
}

void BatchCycle::skipDownloadedLines()
{
    if (!m_skipDownloaded)
        return;
    ItemList &pending = m_s.lists.readyDownList();
    bool skipped = false;
    while (pending.count() > 0) {
        const PendingLine line = PendingLine::parse(pending.at(0));
        if (!line.hasAddress || !isDownloaded(line.address) || m_s.lists.isSentBack(pending.at(0)))
            break;
        pending.removeAt(0);
        logLine(line.itemNo, QStringLiteral("采集中:已下载过,跳过_"), line.address);
        skipped = true;
    }
    if (skipped)
        m_s.listFile.SaveLists();
}

void BatchCycle::takeUpPace()
{
    m_itemFast = m_pace == Pace::Fast;
    m_scroller = m_itemFast ? static_cast<PageScroller *>(&m_fast) : &m_standard;
    m_s.download.setConnections(m_itemFast ? ItemDownload::MaxConnections : 1);
    PagePatience patience = m_itemFast ? m_intervals.fastPatience : m_intervals.standardPatience;
    patience.requestLimitMs = m_intervals.requestLimitMs;
    m_s.view.setPatience(patience);
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

QStringList BatchCycle::underWayLines() const
{
    QStringList lines;
    for (const MovedItems::Item &item : m_moved.waiting())
        lines << PendingLine{item.taken.itemNo, item.taken.address, InterruptedMarker}.toString();
    if (m_s.records.PickBusy(Slot))
        lines << PendingLine{m_taken.itemNo, m_taken.address, InterruptedMarker}.toString();
    return lines;
}

void BatchCycle::halt()
{
    m_halted = true;
    m_controller.stop();
    m_scroller->stop();
}

void BatchCycle::requeueInterruptedItem()
{
    const QStringList lines = underWayLines();
    for (qsizetype k = 0; k < lines.size(); ++k)
        m_s.lists.readyDownList().insert(int(k), lines.at(k));
    // From here the pending list holds them: the file must not list them twice.
    m_moved.takeAll();
    m_s.records.setPickBusy(Slot, false);
}
