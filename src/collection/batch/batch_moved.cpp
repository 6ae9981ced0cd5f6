// Items whose page moved the reader elsewhere: taken off sale (only their own
// page moves: back to the address box, and the batch goes on) or held at a
// wall (every item page moves: back on top, and the batch pauses).
#include "collection/batch/batch_cycle.h"

#include "collection/page_analysis.h"
#include "collection/page_document.h"
#include "collection/status_log.h"
#include "lists/item_list.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

#include <QPointer>

namespace {

QString movedText(const MovedItems::Item &item, const QString &then)
{
    return QStringLiteral("采集中:页面被转到") + item.movedTo + then;
}

} // namespace

void BatchCycle::onMoved(const PendingLine &taken)
{
    const MovedItems::Item item{PendingLine{taken.itemNo, taken.address, QString()}, m_movedTo};
    switch (m_moved.moved(item)) {
    case MovedItems::Next::CheckKnownPage:
        checkKnownPage(m_moved.knownPage(), false);
        return;
    case MovedItems::Next::SetAside:
        setAside(item);
        return;
    case MovedItems::Next::Wall:
        holdAtWall(m_moved.takeAll(), item.movedTo);
        return;
    }
}

void BatchCycle::decideAtQueueEnd()
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
    checkKnownPage(known, true);
}

void BatchCycle::checkKnownPage(const QString &known, bool atQueueEnd)
{
    const MovedItems::Item item = m_moved.waiting().last();
    logLine(item.taken.itemNo, movedText(item, QStringLiteral(",打开已采集的宝贝页面核对_")), item.taken.address);
    m_s.listFile.SaveLists();
    m_loading = true;
    QPointer<BatchCycle> self(this);
    m_s.view.NavigateAndRead(known, this, [self, item, atQueueEnd](const PageLoad &load) {
        if (!self || self->m_halted)
            return;
        self->m_loading = false;
        if (load.outcome == PageLoad::NotResponding)
            self->m_s.view.renew();
        if (load.outcome != PageLoad::Read) {
            // Nothing learned: the item waits for the next item page, if any comes.
            if (atQueueEnd || self->m_moved.checkFailed() == MovedItems::Next::Wall)
                self->holdAtWall(self->m_moved.takeAll(), item.movedTo);
            else
                self->setAside(item);
            return;
        }
        if (self->m_s.analyser.isDetailPage(load.page)) {
            self->giveBackSoldOut(self->m_moved.takeAll());
            self->m_s.listFile.SaveLists();
            emit self->itemEnded();
            return;
        }
        // An item page known before moves the reader too: the marketplace stands in the way.
        self->holdAtWall(self->m_moved.takeAll(), load.page.url);
    });
}

void BatchCycle::setAside(const MovedItems::Item &item)
{
    logLine(item.taken.itemNo, movedText(item, QStringLiteral(",待采到其他宝贝后再判断是否已下架_")),
            item.taken.address);
    m_s.listFile.SaveLists();
    emit itemEnded();
}

void BatchCycle::giveBackSoldOut(const QList<MovedItems::Item> &items)
{
    for (const MovedItems::Item &item : items)
        returnToBox(item.taken.toString(), item.taken.itemNo, item.taken.address,
                    movedText(item, QStringLiteral(",可能已下架_")));
}

void BatchCycle::holdAtWall(const QList<MovedItems::Item> &items, const QString &wallAddress)
{
    // Every further item would meet the same page: the queue waits for the
    // user instead of draining into the address box.
    for (qsizetype k = 0; k < items.size(); ++k)
        m_s.lists.readyDownList().insert(int(k), items.at(k).taken.toString());
    const PendingLine &last = items.last().taken;
    logLine(last.itemNo, QStringLiteral("采集中:Zorvane要求验证,请在打开的页面中完成验证后点击启动继续采集_"),
            last.address);
    m_s.listFile.SaveLists();
    StopPickCmd_Click();
    emit verificationWall(wallAddress);
    emit itemEnded();
}

void BatchCycle::putBackUndecided()
{
    const QList<MovedItems::Item> items = m_moved.takeAll();
    for (qsizetype k = 0; k < items.size(); ++k)
        m_s.lists.readyDownList().insert(int(k), items.at(k).taken.toString());
    if (!items.isEmpty())
        m_s.listFile.SaveLists();
}
