#pragma once

#include "shop/gone_items_check.h"
#include "shop/offer_list_walk.h"
#include "shop/shop_changes.h"
#include "shop/watch_list.h"
#include "shop/watch_report.h"

#include <QDateTime>
#include <QObject>

#include <functional>

class BatchCycle;
class ListFile;
class ListStore;
class Notifier;
class PageDocument;
class StatusLog;
class WalkTurns;

// One check of every watched shop: each shop's offer list walked in the
// collector's view (the batch pauses meanwhile, as for 整店采集), compared
// with the shop's last record and the downloaded list; items that seem gone
// confirmed by their own pages; the new items queued and the lists saved at
// once, so that a check cut short leaves them pending for the next; then the
// batch collects them at the present pace and 同时采集. At the end, once the
// lists are saved, the records go into the watch file, the dated block into
// the record file in the save folder, and one notification tells what is new.
// A shop is read whole or not at all: one page that is not its offer list
// leaves its record as it was. A state machine on signals: nothing here waits.
class WatchCheck : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        QString programFolder;
        std::function<QString()> saveFolder; // where the record goes; the program folder when empty
        OfferListWalk &walk;
        PageDocument &view; // the walk's, for the pages of items that seem gone
        WalkTurns &turns;   // shared with 整店采集
        BatchCycle &batch;
        ListStore &lists;
        ListFile &listFile;
        StatusLog &log;
        Notifier &notifier;
        std::function<QDateTime()> now; // the clock the records are dated by; the system's when empty
    };
    // Why a check ended as it did: the runner's exit code follows it.
    // Offline: the network stayed away past the batch's limit; the new items
    // wait on top of the pending list.
    enum class Ending { Done, StartRefused, Paused, AtWall, Offline };

    WatchCheck(const Services &services, int pageGapMs, QObject *parent = nullptr);

    // From the start asked for until finished(), waiting for its turn included.
    bool isRunning() const { return m_running; }
    // False (and logged) when a check is under way or the lists are read-only
    // here. Behind a 整店采集 walk it waits its turn and says so.
    bool start();
    const WatchReport &lastReport() const { return m_report; }
    QString recordPath() const;

signals:
    // Shop `index` (from 0) of `count` is being read.
    void shopStarted(int index, int count, const QString &name);
    void finished(const WatchReport &report, WatchCheck::Ending ending);

private:
    void begin();
    void walkNext();
    void onWalked(const OfferListWalk::Result &walked);
    void confirmGone(ShopCheckReport report, ShopChanges changes);
    void recordShop(ShopCheckReport report, const ShopChanges &changes);
    QString failure(const OfferListWalk::Result &walked) const;
    QStringList lastDownloaded(int count) const;
    void queueAndCollect();
    void noteQueued();
    void collected(Ending ending);
    void finish(Ending ending);
    void writeRecords();
    bool queued(const QString &address) const;

    Services m_s;
    int m_gapMs;
    GoneItemsCheck m_gone;
    bool m_running = false;
    bool m_resume = false; // the batch was collecting before the check
    bool m_walled = false;
    QList<WatchedShop> m_shops;
    qsizetype m_next = 0;
    QList<ShopChanges> m_changes; // per shop; empty lists for one not read
    WatchReport m_report;
    QList<QMetaObject::Connection> m_waits;
};
