// Items whose page moved the reader elsewhere: taken off sale (only their own
// page moves: back to the address box, and the batch goes on) or held at a
// wall (every item page moves: back on top, and the batch pauses).
#include "collection/batch/batch_cycle.h"

#include "collection/batch/address_box.h"
#include "collection/marketplace.h"
#include "collection/page_analysis.h"
#include "collection/status_log.h"
#include "lists/item_list.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

#include <QSet>

namespace {

QString movedText(const MovedItems::Item &item, const QString &then)
{
    return QStringLiteral("采集中:页面被转到") + item.movedTo + then;
}

} // namespace

void BatchCycle::onMoved(const Collector::End &end)
{
    const MovedItems::Item item{end.taken, end.movedTo, end.ticket, m_moved.stamp()};
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

void BatchCycle::followMoved(const PendingLine &line)
{
    m_moved.follow(line, m_nextTicket++);
    logLine(line.itemNo, QStringLiteral("采集中:与前面被转走的宝贝是同一网页,随它一起判断是否已下架_"), line.address);
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

MovedItems::Outlook BatchCycle::outlook() const
{
    MovedItems::Outlook outlook;
    for (const Collector *c : m_collectors) {
        if (c->isLoading() && (outlook.oldestLoading == 0 || c->ticket() < outlook.oldestLoading))
            outlook.oldestLoading = c->ticket();
    }
    outlook.moreToTake = m_controller.isActive() && m_s.lists.readyDownList().count() > 0;
    return outlook;
}

QStringList BatchCycle::references() const
{
    const ItemList &downloaded = m_s.lists.AlreadyDownedList();
    QStringList pages;
    QSet<QString> keys;
    // A few more than are checked: some may be pages that wait themselves.
    for (int i = downloaded.count() - 1; i >= 0 && pages.size() < 2 * MovedItems::MaxReferences + MovedItems::WallAfter; --i) {
        const QString address = DownloadedLine::parse(downloaded.at(i)).address;
        const QString key = Marketplace::pageKey(address);
        if (!address.isEmpty() && !keys.contains(key)) {
            keys.insert(key);
            pages << address;
        }
    }
    return pages;
}

void BatchCycle::decideMoved()
{
    // A pause puts the undecided items back on top; without network nothing can be learned.
    if (m_halted || m_pauseFlag || m_viewLent || m_offline)
        return;
    const QStringList downloaded = references();
    switch (m_moved.next(outlook(), downloaded)) {
    case MovedItems::Next::Wait:
        return;
    case MovedItems::Next::Wall: {
        const QList<MovedItems::Item> items = m_moved.takeAll();
        const MovedItems::Item &last = items.last();
        const QString wall = std::exchange(m_wallAddress, {});
        if (wall.isEmpty())
            logLine(last.taken.itemNo, movedText(last, QStringLiteral(",没有已采集的宝贝页面可供核对_")),
                    last.taken.address);
        holdAtWall(items, wall.isEmpty() ? last.movedTo : wall);
        return;
    }
    case MovedItems::Next::Check:
        // Without a free collector, the next one to finish starts it.
        if (Collector *free = freeCollector())
            startCheck(*free);
        return;
    }
}

void BatchCycle::startCheck(Collector &collector)
{
    const QString page = m_moved.checkPage(references());
    m_moved.checkStarted(page, m_moved.stamp());
    if (page != m_moved.knownPage()) {
        const MovedItems::Item &item = m_moved.waiting().last();
        logLine(item.taken.itemNo, movedText(item, QStringLiteral(",打开已采集的宝贝页面核对_")), item.taken.address);
    }
    collector.check(page, [this, page](const PageLoad &load) { onChecked(page, load); });
}

void BatchCycle::onChecked(const QString &page, const PageLoad &load)
{
    if (load.outcome == PageLoad::NotLoaded) {
        // The network may be gone: that is nobody's verdict.
        m_checkUnanswered = page;
        askNetwork();
        return;
    }
    if (load.outcome == PageLoad::Read && PageAnalyser::isDetailPage(load.page)) {
        giveBackSoldOut(m_moved.checkPassed());
        m_wallAddress.clear();
        m_s.listFile.SaveLists();
    } else {
        // This reference proves nothing: gone off sale since, or a wall.
        checkRefuted(load.outcome == PageLoad::Read ? load.page.url : page);
    }
    itemDone();
}

void BatchCycle::checkRefuted(const QString &wallAddress)
{
    m_moved.checkRefuted();
    if (m_wallAddress.isEmpty())
        m_wallAddress = wallAddress;
    if (m_moved.isEmpty())
        m_wallAddress.clear();
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
    m_wallAddress.clear();
    putBackOnTop(m_moved.takeAll());
}
