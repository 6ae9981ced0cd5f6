// How items end: saved in their folder's turn, or back where they came from.
#include "collection/batch/batch_cycle.h"

#include "lists/item_list.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

#include <algorithm>

void BatchCycle::onEnded(Collector &collector, Collector::Ending ending)
{
    m_waitingToSave.removeAll(&collector);
    m_readySince.remove(&collector);
    m_turns.done(collector.ticket());
    const PendingLine &taken = collector.taken();
    switch (ending) {
    case Collector::Ending::Saved:
        m_failures.remove(taken.withoutMarkers());
        m_s.listFile.SaveLists();
        emit itemSaved(collector.slot());
        break;
    case Collector::Ending::Rejected:
        m_failures.remove(taken.withoutMarkers());
        m_s.listFile.SaveLists();
        break;
    case Collector::Ending::Moved:
        onMoved(collector);
        break;
    case Collector::Ending::GivenBack:
        putBackOnTop(collector.ticket(), taken);
        break;
    case Collector::Ending::SaveFailed:
        putBackOnTop(collector.ticket(), taken);
        // Collecting on would only fail on the next item too.
        StopPickCmd_Click();
        break;
    }
    trySave();
    itemDone();
}

void BatchCycle::itemDone()
{
    emit itemEnded();
    decideMoved();
    if (!isItemUnderWay())
        emit collectorsIdle();
}

void BatchCycle::putBackOnTop(quint64 ticket, const PendingLine &line)
{
    insertOnTop(ticket, line);
    m_s.listFile.SaveLists();
}

void BatchCycle::putBackOnTop(const QList<MovedItems::Item> &items)
{
    for (const MovedItems::Item &item : items)
        insertOnTop(item.ticket, item.taken);
    if (!items.isEmpty())
        m_s.listFile.SaveLists();
}

void BatchCycle::insertOnTop(quint64 ticket, const PendingLine &line)
{
    const auto at = std::lower_bound(m_backOnTop.begin(), m_backOnTop.end(), ticket);
    const int position = int(at - m_backOnTop.begin());
    m_backOnTop.insert(position, ticket);
    m_s.lists.readyDownList().insert(position,
                                     PendingLine{line.itemNo, line.address, QString(), true, line.sentBack}.toString());
}

bool BatchCycle::failedBefore(const PendingLine &line)
{
    int &failures = m_failures[line.withoutMarkers()];
    return ++failures >= MaxTries;
}

void BatchCycle::onReadyToSave(Collector &collector)
{
    m_waitingToSave.append(&collector);
    m_readySince[&collector].start();
    trySave();
}

void BatchCycle::trySave()
{
    if (m_halted)
        return;
    // In the order they were taken: an earlier item may free a later one's turn.
    std::sort(m_waitingToSave.begin(), m_waitingToSave.end(),
              [](const Collector *a, const Collector *b) { return a->ticket() < b->ticket(); });
    const auto mayMake = [this](Collector *c) {
        return m_turns.mayMakeFolder(c->ticket(), m_readySince.value(c).elapsed() >= m_intervals.folderWaitMs);
    };
    for (auto it = std::find_if(m_waitingToSave.begin(), m_waitingToSave.end(), mayMake); it != m_waitingToSave.end();
         it = std::find_if(m_waitingToSave.begin(), m_waitingToSave.end(), mayMake)) {
        Collector *c = *it;
        m_waitingToSave.erase(it);
        m_readySince.remove(c);
        c->save();
        m_turns.done(c->ticket());
    }
    // Only a wait for a title not known yet runs out; one for a known title
    // ends when that item makes its folder or ends, which calls again.
    qint64 soonest = -1;
    for (Collector *c : std::as_const(m_waitingToSave)) {
        if (m_turns.mayMakeFolder(c->ticket(), true)) {
            const qint64 left = m_intervals.folderWaitMs - m_readySince.value(c).elapsed();
            soonest = soonest < 0 ? left : std::min(soonest, left);
        }
    }
    if (soonest >= 0)
        m_saveWait.start(int(std::max<qint64>(soonest, 1)));
    else
        m_saveWait.stop();
}
