// How items end: saved in their folder's turn, or back where they came from.
// Every end is queued and handled in settle(), one at a time: a save that
// fails at once ends its item while settle() runs, and is handled after the
// call that caused it has returned.
#include "collection/batch/batch_cycle.h"

#include "collection/batch/folder_turns.h"
#include "lists/item_list.h"
#include "lists/list_file.h"
#include "lists/list_store.h"

#include <algorithm>

void BatchCycle::onEnded(const Collector::End &end)
{
    m_endings.append(end);
    settle();
}

void BatchCycle::settle()
{
    if (m_settling || m_halted)
        return;
    m_settling = true;
    for (;;) {
        if (!m_endings.isEmpty()) {
            handle(m_endings.takeFirst());
            continue;
        }
        if (Collector *c = nextToSave()) {
            c->save();
            continue;
        }
        break;
    }
    m_settling = false;
    armSaveWait();
}

void BatchCycle::handle(const Collector::End &end)
{
    const PendingLine &taken = end.taken;
    switch (end.ending) {
    case Collector::Ending::Saved:
        m_failures.remove(taken.withoutMarkers());
        m_s.listFile.SaveLists();
        emit itemSaved(end.slot);
        break;
    case Collector::Ending::Rejected:
        m_failures.remove(taken.withoutMarkers());
        m_s.listFile.SaveLists();
        break;
    case Collector::Ending::Moved:
        onMoved(end);
        break;
    case Collector::Ending::GivenBack:
    case Collector::Ending::Offline:
        putBackOnTop(end.ticket, taken);
        break;
    case Collector::Ending::SaveFailed:
        putBackOnTop(end.ticket, taken);
        // Collecting on would only fail on the next item too.
        StopPickCmd_Click();
        break;
    }
    itemDone();
}

QList<Collector *> BatchCycle::unsavedInTakingOrder() const
{
    QList<Collector *> held;
    for (Collector *c : m_collectors) {
        if (c->holdsItem() && c->step() != Collector::Step::Saving)
            held.append(c);
    }
    std::sort(held.begin(), held.end(), [](const Collector *a, const Collector *b) { return a->ticket() < b->ticket(); });
    return held;
}

namespace {

// A title still unknown this long after its page was asked for is passed by
// every later item at once, rather than by each after a wait of its own: a
// dead page holds up the items after it once, not one after another.
bool holdsTurns(const Collector &c, int waitMs)
{
    return c.folderName() || c.takenForMs() < waitMs;
}

} // namespace

Collector *BatchCycle::nextToSave()
{
    // In the order they were taken: an earlier item may free a later one's turn.
    QList<std::optional<QString>> earlier;
    for (Collector *c : unsavedInTakingOrder()) {
        if (c->step() == Collector::Step::WaitingForTurn
            && FolderTurns::mayMakeFolder(*c->folderName(), earlier, c->waitedForTurnMs() >= m_intervals.folderWaitMs))
            return c;
        if (holdsTurns(*c, m_intervals.folderWaitMs))
            earlier.append(c->folderName());
    }
    return nullptr;
}

void BatchCycle::armSaveWait()
{
    // Only a wait for a title not known yet runs out: when the item has
    // waited long enough, or every unknown title before it is old enough. One
    // for a known title ends when that item makes its folder or ends, which
    // settles again.
    const int waitMs = m_intervals.folderWaitMs;
    qint64 soonest = -1;
    qint64 unknownLeft = 0; // until the unknown titles so far are passed
    QList<std::optional<QString>> earlier;
    for (Collector *c : unsavedInTakingOrder()) {
        if (c->step() == Collector::Step::WaitingForTurn && FolderTurns::mayMakeFolder(*c->folderName(), earlier, true)) {
            const qint64 left = std::min(waitMs - c->waitedForTurnMs(), unknownLeft);
            soonest = soonest < 0 ? left : std::min(soonest, left);
        }
        if (!holdsTurns(*c, waitMs))
            continue;
        if (!c->folderName())
            unknownLeft = std::max(unknownLeft, waitMs - c->takenForMs());
        earlier.append(c->folderName());
    }
    if (soonest >= 0 && !m_halted)
        m_saveWait.start(int(std::max<qint64>(soonest, 1)));
    else
        m_saveWait.stop();
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
