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
    const MovedItems::Item item{collector.taken(), collector.movedTo(), collector.ticket()};
    if (m_pauseFlag) {
        // Pausing (at a wall, say): no more pages are loaded to decide.
        putBackOnTop(item.ticket, item.taken);
        itemDone();
        return;
    }
    switch (m_moved.moved(item)) {
    case MovedItems::Next::CheckKnownPage:
        checkKnownPage(collector, m_moved.knownPage(), false);
        return;
    case MovedItems::Next::SetAside:
        setAside(item);
        return;
    case MovedItems::Next::Wall:
        holdAtWall(m_moved.takeAll(), item.movedTo);
        return;
    }
}

void BatchCycle::decideAtQueueEnd(Collector &collector)
{
    // No item of the queue is left to tell: the item collected last, in this
    // run or before, stands in.
    QString known = m_moved.knownPage();
    const ItemList &downloaded = m_s.lists.AlreadyDownedList();
    if (known.isEmpty() && downloaded.count() > 0)
        known = DownloadedLine::parse(downloaded.at(downloaded.count() - 1)).address;
    if (known.isEmpty()) {
        const QList<MovedItems::Item> items = m_moved.takeAll();
        holdAtWall(items, items.last().movedTo);
        return;
    }
    checkKnownPage(collector, known, true);
}

void BatchCycle::checkKnownPage(Collector &collector, const QString &known, bool atQueueEnd)
{
    const MovedItems::Item item = m_moved.waiting().last();
    logLine(item.taken.itemNo, movedText(item, QStringLiteral(",打开已采集的宝贝页面核对_")), item.taken.address);
    m_s.listFile.SaveLists();
    collector.check(known, [this, item, atQueueEnd](const PageLoad &load) {
        if (load.outcome != PageLoad::Read) {
            // Nothing learned: the item waits for the next item page, if any comes.
            if (atQueueEnd || m_moved.checkFailed() == MovedItems::Next::Wall)
                holdAtWall(m_moved.takeAll(), item.movedTo);
            else
                setAside(item);
            return;
        }
        if (PageAnalyser::isDetailPage(load.page)) {
            giveBackSoldOut(m_moved.takeAll());
            m_s.listFile.SaveLists();
            itemDone();
            return;
        }
        // An item page known before moves the reader too: the marketplace stands in the way.
        holdAtWall(m_moved.takeAll(), load.page.url);
    });
}

void BatchCycle::setAside(const MovedItems::Item &item)
{
    logLine(item.taken.itemNo, movedText(item, QStringLiteral(",待采到其他宝贝后再判断是否已下架_")),
            item.taken.address);
    m_s.listFile.SaveLists();
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

void BatchCycle::holdAtWall(const QList<MovedItems::Item> &items, const QString &wallAddress)
{
    // Every further item would meet the same page: the queue waits for the
    // user instead of draining into the address box.
    if (!items.isEmpty()) {
        for (const MovedItems::Item &item : items)
            putBackOnTop(item.ticket, item.taken);
        const PendingLine &last = items.last().taken;
        logLine(last.itemNo, QStringLiteral("采集中:Zorvane要求验证,请在打开的页面中完成验证后点击启动继续采集_"),
                last.address);
        m_s.listFile.SaveLists();
        StopPickCmd_Click();
        emit verificationWall(wallAddress);
    }
    itemDone();
}

void BatchCycle::putBackUndecided()
{
    for (const MovedItems::Item &item : m_moved.takeAll())
        putBackOnTop(item.ticket, item.taken);
}
