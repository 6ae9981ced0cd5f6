// Items whose page moved the reader elsewhere: taken off sale (only their own
// page moves: back to the address box, and the batch goes on) or held at a
// wall (every item page moves: back on top, and the batch pauses).
#include "collection/batch/batch_cycle.h"

#include "collection/batch/address_box.h"
#include "collection/page_analysis.h"
#include "collection/status_log.h"
#include "lists/item_list.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

namespace {

QString movedText(const MovedItems::Item &item, const QString &then)
{
    return QStringLiteral("采集中:页面被转到") + item.movedTo + then;
}

} // namespace

void BatchCycle::onMoved(Collector &collector)
{
    const MovedItems::Item item{collector.taken(), collector.movedTo(), collector.ticket(), m_moved.stamp()};
    if (m_pauseFlag) {
        // Pausing (at a wall, say): no more pages are loaded to decide.
        putBackOnTop(item.ticket, item.taken);
        return;
    }
    m_moved.moved(item);
    logLine(item.taken.itemNo,
            movedText(item, m_moved.knownPage().isEmpty() ? QStringLiteral(",待采到其他宝贝后再判断是否已下架_")
                                                          : QStringLiteral(",打开已采集的宝贝页面核对_")),
            item.taken.address);
    m_s.listFile.SaveLists();
}

void BatchCycle::onItemPageLoaded(const Collector &collector, const QString &address)
{
    // Items that moved before this page was asked for are taken off sale:
    // the marketplace still shows item pages.
    const QList<MovedItems::Item> soldOut = m_moved.itemPageLoaded(address, collector.requestedAt());
    if (!soldOut.isEmpty()) {
        giveBackSoldOut(soldOut);
        m_s.listFile.SaveLists();
    }
    // Those that moved after it was asked for are checked against it.
    decideMoved();
}

quint64 BatchCycle::oldestLoading() const
{
    quint64 oldest = 0;
    for (const Collector *c : m_collectors) {
        if (c->isLoading() && (oldest == 0 || c->ticket() < oldest))
            oldest = c->ticket();
    }
    return oldest;
}

QString BatchCycle::lastDownloaded() const
{
    const ItemList &downloaded = m_s.lists.AlreadyDownedList();
    return downloaded.count() > 0 ? DownloadedLine::parse(downloaded.at(downloaded.count() - 1)).address : QString();
}

void BatchCycle::decideMoved(bool queueEnded)
{
    if (m_halted || m_pauseFlag || m_viewLent)
        return; // a pause puts the undecided items back on top
    switch (m_moved.next(oldestLoading(), queueEnded, lastDownloaded())) {
    case MovedItems::Next::Wait:
        return;
    case MovedItems::Next::Wall: {
        const bool unknown = m_moved.checkPage(lastDownloaded()).isEmpty();
        const QList<MovedItems::Item> items = m_moved.takeAll();
        const MovedItems::Item &last = items.last();
        if (unknown)
            logLine(last.taken.itemNo, movedText(last, QStringLiteral(",没有已采集的宝贝页面可供核对_")),
                    last.taken.address);
        holdAtWall(items, last.movedTo);
        return;
    }
    case MovedItems::Next::Check:
        // Without a free collector, the next one to finish starts it.
        if (Collector *free = freeCollector()) {
            m_checkAtQueueEnd = queueEnded;
            startCheck(*free);
        }
        return;
    }
}

void BatchCycle::startCheck(Collector &collector)
{
    const QString page = m_moved.checkPage(lastDownloaded());
    m_moved.checkStarted(m_moved.stamp());
    if (page != m_moved.knownPage()) {
        const MovedItems::Item &item = m_moved.waiting().last();
        logLine(item.taken.itemNo, movedText(item, QStringLiteral(",打开已采集的宝贝页面核对_")), item.taken.address);
    }
    collector.check(page, [this, page](const PageLoad &load) { onChecked(page, load); });
}

void BatchCycle::onChecked(const QString &page, const PageLoad &load)
{
    const bool atQueueEnd = std::exchange(m_checkAtQueueEnd, false);
    if (load.outcome != PageLoad::Read) {
        // Nothing learned: the items wait for the next item page, if any comes.
        if (m_moved.checkFailed() == MovedItems::Next::Wall || atQueueEnd) {
            const QList<MovedItems::Item> items = m_moved.takeAll();
            holdAtWall(items, items.isEmpty() ? page : items.last().movedTo);
        }
    } else if (PageAnalyser::isDetailPage(load.page)) {
        giveBackSoldOut(m_moved.checkPassed(page));
        m_s.listFile.SaveLists();
    } else {
        // An item page known to load moves the reader too: the marketplace
        // stands in the way, whether or not items are still waiting.
        holdAtWall(m_moved.checkMoved(), load.page.url, true);
    }
    itemDone();
}

void BatchCycle::giveBackSoldOut(const QList<MovedItems::Item> &items)
{
    for (const MovedItems::Item &item : items) {
        giveBackToAddressBox(m_s.lists, item.taken.toString(), item.taken.itemNo, item.taken.address);
        logLine(item.taken.itemNo, movedText(item, QStringLiteral(",可能已下架_")), item.taken.address);
        logLine(item.taken.itemNo, QStringLiteral("采集中:本次采集结束_"), item.taken.address);
    }
}

void BatchCycle::holdAtWall(const QList<MovedItems::Item> &items, const QString &wallAddress, bool proven)
{
    // Every further item would meet the same page: the queue waits for the
    // user instead of draining into the address box.
    if (items.isEmpty() && !proven)
        return;
    putBackOnTop(items);
    const PendingLine last = items.isEmpty() ? PendingLine{} : items.last().taken;
    logLine(last.itemNo, QStringLiteral("采集中:Zorvane要求验证,请在打开的页面中完成验证后点击启动继续采集_"),
            last.address);
    if (!m_pauseFlag)
        StopPickCmd_Click();
    emit verificationWall(wallAddress);
}

void BatchCycle::putBackUndecided()
{
    putBackOnTop(m_moved.takeAll());
}
