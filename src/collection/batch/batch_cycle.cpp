#include "collection/batch/batch_cycle.h"

#include "collection/batch/address_box.h"
#include "collection/marketplace.h"
#include "collection/status_log.h"
#include "lists/downloaded_addresses.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net/net_check.h"
#include "platform/net/web_address.h"

#include <QPointer>

#include <algorithm>

BatchCycle::BatchCycle(const Services &services, const Intervals &intervals, QObject *parent)
    : QObject(parent)
    , m_s(services)
    , m_intervals(intervals)
    , m_stopCaption(QStringLiteral("暂停"))
{
    m_controller.setInterval(intervals.controllerMs);
    m_controller.setObjectName(QStringLiteral("PickControlTimer"));
    connect(&m_controller, &QTimer::timeout, this, &BatchCycle::PickControlTimer_Timer);
    connect(this, &BatchCycle::itemEnded, this, &BatchCycle::tickAtOnceWhenFast);
    m_gap.setSingleShot(true);
    connect(&m_gap, &QTimer::timeout, this, [this] {
        if (m_controller.isActive())
            fillCollectors();
    });
    m_saveWait.setSingleShot(true);
    // Never early: an item that waited almost long enough would be waited for again.
    m_saveWait.setTimerType(Qt::PreciseTimer);
    m_saveWait.setObjectName(QStringLiteral("folderTurnWait"));
    connect(&m_saveWait, &QTimer::timeout, this, &BatchCycle::settle);
    m_recheck.setSingleShot(true);
    m_recheck.setObjectName(QStringLiteral("networkRecheck"));
    connect(&m_recheck, &QTimer::timeout, this, &BatchCycle::askNetwork);
    m_steady.start();
    m_s.listFile.setUnderWayLines([this] { return underWayLines(); });
    collector(0);
}

Collector &BatchCycle::collector(int n)
{
    while (m_collectors.size() <= n) {
        const int slot = int(m_collectors.size());
        const CollectorParts parts = m_s.collectorParts(slot);
        Collector::Timing timing;
        timing.scrollerMs = m_intervals.scrollerMs;
        timing.maxScrollMs = m_intervals.maxScrollMs;
        timing.fast.maxScrollMs = m_intervals.fastMaxScrollMs;
        timing.pages = m_intervals.pages;
        auto *c = new Collector(slot, {parts.view, parts.download, m_s.analyser, m_s.records, m_s.lists, m_s.log,
                                       [this](const PendingLine &line) { return failedBefore(line); }},
                                timing, this);
        connectCollector(*c);
        m_collectors.append(c);
    }
    return *m_collectors.at(n);
}

PageDocument &BatchCycle::collectorView(int n)
{
    return collector(n).view();
}

void BatchCycle::connectCollector(Collector &c)
{
    const int slot = c.slot();
    connect(&c, &Collector::stepLogged, this,
            [this, slot](const QString &itemNo, const QString &step) { emit stepLogged(itemNo, step, slot); });
    connect(&c, &Collector::scrollProgress, this, [this, slot](double scrolled, double height, int pictures) {
        emit scrollProgress(scrolled, height, pictures, slot);
    });
    connect(&c, &Collector::stepChanged, this, [this, slot](Collector::Step step) { emit collectorStepChanged(slot, step); });
    connect(&c, &Collector::picturesProgressed, this,
            [this, slot](int done, int total) { emit picturesProgressed(done, total, slot); });
    // A title known may free a later item's turn.
    connect(&c, &Collector::titleKnown, this, &BatchCycle::settle);
    connect(&c, &Collector::itemPageLoaded, this,
            [this, &c](const QString &address) { onItemPageLoaded(c, address); });
    connect(&c, &Collector::readyToSave, this, &BatchCycle::settle);
    connect(&c, &Collector::unanswered, this, [this, &c] { onUnanswered(c); });
    connect(&c, &Collector::ended, this, &BatchCycle::onEnded);
}

void BatchCycle::setCollectors(int count)
{
    m_collectorCount = std::clamp(count, 1, MaxCollectors);
}

void BatchCycle::logLine(const QString &itemNo, const QString &text, const QString &address)
{
    m_s.log.AddItemMesg(itemNo, text, address);
    emit stepLogged(itemNo, text, -1);
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
    return std::any_of(m_collectors.cbegin(), m_collectors.cend(), [](const Collector *c) { return c->isBusy(); });
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
    const bool collecting = std::any_of(m_collectors.cbegin(), m_collectors.cend(),
                                        [](const Collector *c) { return c->isCollecting(); });
    if (collecting) {
        if (m_pauseFlag)
            setStopCaption(QStringLiteral("等待暂停"));
        m_denVisible = !m_denVisible;
        const qsizetype k = m_indicator.size();
        m_indicator = QStringLiteral("采集中...").left(k % 6 + 1);
        emit uiStateChanged();
    } else if (!isItemUnderWay()) {
        m_indicator.clear();
        emit uiStateChanged();
    }
    if (m_pauseFlag) {
        if (isItemUnderWay() || m_askingNetwork)
            return;
        putBackUndecided();
        leaveOffline(false);
        setStartEnabled(true);
        m_controller.stop();
        setStopCaption(QStringLiteral("暂停"));
        m_pauseFlag = false;
        emit stopped();
        return;
    }
    fillCollectors();
}

Collector *BatchCycle::freeCollector()
{
    for (int n = 0; n < m_collectorCount; ++n) {
        if (!collector(n).isBusy())
            return &collector(n);
    }
    return nullptr;
}

void BatchCycle::fillCollectors()
{
    // Without network every item would only fail: the recheck wakes the batch.
    while (!m_viewLent && !m_pauseFlag && !m_offline && m_controller.isActive()) {
        // A page to check for the moved-page rule goes before any new item.
        decideMoved();
        if (m_moved.holdsTaking() || m_pauseFlag)
            return;
        Collector *free = freeCollector();
        if (!free)
            return;
        // Gentle on the marketplace: loads start a gap apart.
        const qint64 sinceLoad = now() - m_loadedAt;
        if (isItemUnderWay() && m_loadedAt >= 0 && sinceLoad < m_intervals.loadGapMs) {
            m_gap.start(int(m_intervals.loadGapMs - sinceLoad));
            emit loadGapWaited(m_gap.interval());
            return;
        }
        if (!takeNext(*free))
            return;
    }
}

bool BatchCycle::mayTake(const PendingLine &line) const
{
    if (!m_skipDownloaded || line.sentBack || !line.hasAddress)
        return true;
    // Its page's item ends in a collector, and that end wakes the batch.
    const QString key = Marketplace::pageKey(line.address);
    return std::none_of(m_collectors.cbegin(), m_collectors.cend(), [&key](const Collector *c) {
        return c->holdsItem() && Marketplace::pageKey(c->taken().address) == key;
    });
}

bool BatchCycle::takeNext(Collector &collector)
{
    skipDownloadedLines();
    ItemList &pending = m_s.lists.readyDownList();
    if (pending.count() == 0) {
        if (isItemUnderWay() || m_askingNetwork)
            return false;
        if (!m_moved.isEmpty())
            decideMoved();
        else
            emit idle();
        return false;
    }
    const QString line = pending.at(0);
    const PendingLine taken = PendingLine::parse(line);
    // One collector would take this line after the item of its page ended:
    // downloaded by then, it is skipped.
    if (!mayTake(taken))
        return false;
    pending.removeAt(0);
    if (!m_backOnTop.isEmpty())
        m_backOnTop.removeFirst();
    if (m_skipDownloaded && !taken.sentBack && taken.hasAddress && m_moved.waitsFor(taken.address)) {
        // Its page moved already: loaded, it would only move again.
        followMoved(taken);
        return true;
    }
    if (!taken.hasAddress || !isWebAddressText(taken.address)) {
        // An edited list file's line, or a caption such as the box's header
        // line: there is nothing to load.
        rejectWithoutLoading(taken, line);
        return true;
    }
    const quint64 ticket = m_nextTicket++;
    m_loadedAt = now();
    collector.take(taken, ticket, m_moved.stamp(), m_pace == Pace::Fast);
    m_s.listFile.SaveLists();
    return true;
}

void BatchCycle::rejectWithoutLoading(const PendingLine &taken, const QString &line)
{
    giveBackToAddressBox(m_s.lists, line, taken.itemNo, taken.hasAddress ? taken.address : QString());
    logLine(taken.itemNo, QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"), taken.address);
    logLine(taken.itemNo, QStringLiteral("采集中:本次采集结束_"), taken.address);
    m_s.listFile.SaveLists();
    emit itemEnded();
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
        if (!line.hasAddress || line.sentBack || !isDownloaded(line.address))
            break;
        pending.removeAt(0);
        if (!m_backOnTop.isEmpty())
            m_backOnTop.removeFirst();
        logLine(line.itemNo, QStringLiteral("采集中:已下载过,跳过_"), line.address);
        skipped = true;
    }
    if (skipped)
        m_s.listFile.SaveLists();
}

QStringList BatchCycle::underWayLines() const
{
    QList<std::pair<quint64, PendingLine>> items;
    for (const MovedItems::Item &item : m_moved.waiting())
        items.append({item.ticket, item.taken});
    for (const Collector *c : m_collectors) {
        if (c->holdsItem())
            items.append({c->ticket(), c->taken()});
    }
    std::sort(items.begin(), items.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList lines;
    for (const auto &[ticket, line] : items)
        lines << PendingLine{line.itemNo, line.address, InterruptedMarker, true, line.sentBack}.toString();
    return lines;
}

void BatchCycle::halt()
{
    m_halted = true;
    m_controller.stop();
    m_gap.stop();
    m_saveWait.stop();
    m_recheck.stop();
    m_endings.clear();
    for (Collector *c : std::as_const(m_collectors))
        c->halt();
}

void BatchCycle::requeueInterruptedItem()
{
    const QStringList lines = underWayLines();
    for (qsizetype k = 0; k < lines.size(); ++k)
        m_s.lists.readyDownList().insert(int(k), lines.at(k));
    // From here the pending list holds them: the file must not list them twice.
    m_moved.takeAll();
    for (Collector *c : std::as_const(m_collectors))
        c->release();
}
