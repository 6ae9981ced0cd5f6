#include "collection/batch_cycle.h"

#include "collection/item_record.h"
#include "collection/page_analysis.h"
#include "collection/page_attributes.h"
#include "collection/page_document.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "download/item_download.h"
#include "lists/item_lines.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net_check.h"

#include <QPointer>

#include <algorithm>

BatchCycle::BatchCycle(const Services &services, const Intervals &intervals, QObject *parent)
    : QObject(parent)
    , m_s(services)
    , m_stopCaption(QStringLiteral("暂停"))
{
    m_controller.setInterval(intervals.controllerMs);
    m_scroller.setInterval(intervals.scrollerMs);
    m_controller.setObjectName(QStringLiteral("PickControlTimer"));
    m_scroller.setObjectName(QStringLiteral("PickTimer1"));
    connect(&m_controller, &QTimer::timeout, this, &BatchCycle::PickControlTimer_Timer);
    connect(&m_scroller, &QTimer::timeout, this, &BatchCycle::PickTimer1_Timer);
    connect(&m_s.download, &ItemDownload::finished, this, &BatchCycle::itemEnded);
    connect(&m_s.download, &ItemDownload::pauseRequested, this, &BatchCycle::StopPickCmd_Click);
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
    m_startEnabled = enabled;
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

void BatchCycle::StartPickCmd_Click(std::function<void(bool)> then)
{
    m_startWaiters.append(std::move(then));
    if (m_startWaiters.size() > 1)
        return; // the check already under way answers this press too
    QPointer<BatchCycle> self(this);
    m_s.net.CheckNetOpen(this, [self](bool reachable) {
        if (!self)
            return;
        const auto waiters = std::exchange(self->m_startWaiters, {});
        if (!reachable) {
            self->m_s.log.AddMesg(QStringLiteral("启动采集失败,请检测网络是否连通!"));
        } else {
            self->m_pauseFlag = false;
            self->m_controller.start();
            self->setStartEnabled(false);
            self->m_s.log.AddMesg(QStringLiteral(
                "启动采集,一旦检测到待下载列表有宝贝,将自行采集下载并启动列表旁的状态闪烁指示灯."));
        }
        for (const auto &waiter : waiters) {
            if (waiter)
                waiter(reachable);
        }
    });
}

void BatchCycle::StopPickCmd_Click()
{
    m_s.log.AddMesg(QStringLiteral("启动暂停指示，待最近一次采集完成后将关闭采集"));
    m_pauseFlag = true;
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
        rejectLine(line, taken.itemNo, QString());
        return;
    }
    m_loading = true;
    QPointer<BatchCycle> self(this);
    LoadPickPage(taken.itemNo, taken.address, [self, line, taken](bool detailPage) {
        if (!self)
            return;
        self->m_loading = false;
        if (!detailPage) {
            self->rejectLine(line, taken.itemNo, taken.address);
            return;
        }
        self->m_pickStep = 10;
        self->m_scroller.start();
        self->removeTakenLine(line);
        self->m_s.records.setPickBusy(Slot, true);
        self->logLine(taken.itemNo, QStringLiteral("采集中:开始图片URL分析_"), taken.address);
        self->m_s.listFile.SaveLists();
    });
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

void BatchCycle::rejectLine(const QString &line, const QString &itemNo, const QString &address)
{
    removeTakenLine(line);
    const QString back = address.isEmpty() ? line : UrlInputLine{address, itemNo}.toString();
    m_s.lists.setAddUrlText(m_s.lists.AddUrlText() + QStringLiteral("\r\n") + back);
    logLine(itemNo, QStringLiteral("采集中:采集地址非法,不是Zorvane宝贝下载地址_"), address);
    logLine(itemNo, QStringLiteral("采集中:本次采集结束_"), address);
    emit itemEnded();
}

void BatchCycle::LoadPickPage(const QString &itemNo, const QString &address, std::function<void(bool)> done)
{
    logLine(itemNo, QStringLiteral("采集中:加载_"), address);
    // What an earlier, rejected page left in the record must not reach this item.
    ItemRecord &item = m_s.records.record(Slot);
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);

    m_s.view.NavigateAndRead(address, this, [this, itemNo, address, done](const PageSnapshot &page) {
        logLine(itemNo, QStringLiteral("采集中:加载完成_"), address);
        onPageRead(itemNo, address, page, done);
    });
}

void BatchCycle::onPageRead(const QString &itemNo, const QString &address, const PageSnapshot &page,
                            const std::function<void(bool)> &done)
{
    ItemRecord &item = m_s.records.record(Slot);
    if (const std::optional<QString> title = GetPageTitle(page))
        item.PickTitle = CleanName(*title);
    item.PickUrl = page.valid ? page.url : m_s.view.LocationURL();
    item.PickItemNo = itemNo;
    PickAttributes(page, item);
    if (item.PickItemNo != itemNo) {
        item.PickTitle = item.PickItemNo + item.PickTitle;
        item.PickItemNo = itemNo + QStringLiteral("->") + item.PickItemNo;
    }
    logLine(itemNo, QStringLiteral("采集中:基本信息获取完成_"), address);
    m_lastHeight = page.scrollHeight;
    logLine(itemNo, QStringLiteral("采集中:判断地址合法性_"), address);
    done(m_s.analyser.AnalysePage(page, 1, Slot, true));
}

void BatchCycle::PickTimer1_Timer()
{
    if (m_scrollQuery)
        return;
    ++m_pickTick;
    m_pickPos += m_pickStep;
    m_scrollQuery = true;
    QPointer<BatchCycle> self(this);
    m_s.view.readScrollHeight([self](double height) {
        if (self)
            self->onScrollHeight(height);
    });
}

void BatchCycle::onScrollHeight(double height)
{
    if (m_pickPos >= height) {
        finishScrolling();
        return;
    }
    m_s.view.scrollBy(0, int(m_pickPos));
    if (m_pickTick % 5 != 0) {
        m_scrollQuery = false;
        logItem(QStringLiteral("采集中:图片地址分析中..._"));
        return;
    }
    QPointer<BatchCycle> self(this);
    m_s.view.readScrollHeight([self](double newHeight) {
        if (!self)
            return;
        self->m_newHeight = newHeight;
        if (newHeight != self->m_lastHeight)
            self->m_lastHeight = newHeight;
        else
            self->m_pickStep = std::min(self->m_pickStep * 2, MaxPickStep);
        self->m_scrollQuery = false;
        self->logItem(QStringLiteral("采集中:图片地址分析中..._"));
    });
}

void BatchCycle::finishScrolling()
{
    m_scroller.stop();
    m_pickPos = 0;
    QPointer<BatchCycle> self(this);
    m_s.view.readSnapshot([self](const PageSnapshot &page) {
        if (!self)
            return;
        self->m_s.analyser.AnalysePage(page, 1, Slot, false);
        self->logItem(QStringLiteral("采集中:图片地址分析完成_"));
        self->logItem(QStringLiteral("采集中:开始下载图片_"));
        self->m_scrollQuery = false;
        self->m_s.download.DownloadItemImages(Slot);
    });
}

void BatchCycle::requeueInterruptedItem()
{
    if (!m_s.records.PickBusy(Slot))
        return;
    const ItemRecord &item = m_s.records.record(Slot);
    m_s.lists.readyDownList().insert(0, PendingLine{item.PickItemNo, item.PickUrl, InterruptedMarker}.toString());
}
