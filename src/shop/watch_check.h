#pragma once

#include "shop/offer_list_walk.h"
#include "shop/shop_changes.h"
#include "shop/watch_list.h"
#include "shop/watch_report.h"

#include <QDateTime>
#include <QMap>
#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class BatchCycle;
class ListFile;
class ListStore;
class Notifier;
class ShopReader;
class StatusLog;
class WalkTurns;

// One check of every watched shop: the offer lists walked side by side, as
// many shops at once as 同时采集 has collectors, each in a collector's view
// (the batch pauses meanwhile, as for 整店采集), so that a slow or failing
// shop holds up no other; each compared
// with the shop's last record and the downloaded list; items that seem gone
// confirmed by their own pages in the same view; then, in the watch list's
// order whatever order the shops ended in, the new items queued and the lists saved at
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
        // The reader in collector n's view (n from 0), made once when first needed.
        std::function<std::unique_ptr<ShopReader>(int n)> reader;
        WalkTurns &turns; // shared with 整店采集
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

    WatchCheck(const Services &services, QObject *parent = nullptr);
    ~WatchCheck() override;

    // From the start asked for until finished(), waiting for its turn included.
    bool isRunning() const { return m_running; }
    // False (and logged) when a check is under way or the lists are read-only
    // here. Behind a 整店采集 walk it waits its turn and says so.
    bool start();
    const WatchReport &lastReport() const { return m_report; }
    QString recordPath() const;

signals:
    // The shops being read now, in the watch list's order, and how many of
    // `count` are done: when a shop starts, and when one ends while others
    // are still read.
    void readingChanged(const QStringList &names, int done, int count);
    void finished(const WatchReport &report, WatchCheck::Ending ending);

private:
    void begin();
    void startReaders();
    // Reader `lane` goes on with the next shop nobody has taken.
    void readNext(int lane);
    void onWalked(int lane, qsizetype shop, const OfferListWalk::Result &walked);
    void confirmGone(int lane, qsizetype shop, ShopCheckReport report, ShopChanges changes);
    void recordShop(int lane, qsizetype shop, ShopCheckReport report, const ShopChanges &changes);
    QString failure(const OfferListWalk::Result &walked) const;
    QStringList lastDownloaded(int count) const;
    void queueAndCollect();
    void noteQueued();
    // The batch's say on how the collecting ended; the check ends once the
    // event loop has delivered whatever else it said at the same time.
    void ended(Ending ending);
    void finish(Ending ending);
    void writeRecords();
    bool queued(const QString &address) const;

    Services m_s;
    std::vector<std::unique_ptr<ShopReader>> m_readers;
    bool m_running = false;
    bool m_resume = false; // the batch was collecting before the check
    unsigned m_endings = 0; // a bit per Ending heard since the collecting began
    bool m_settling = false;
    QList<WatchedShop> m_shops;
    qsizetype m_next = 0;       // the next shop no reader has taken
    qsizetype m_recorded = 0;   // shops read or given up so far
    QMap<qsizetype, QString> m_reading; // shops being read, by place in the list
    QList<ShopChanges> m_changes; // per shop, in the watch list's order; empty lists for one not read
    WatchReport m_report;
    QList<QMetaObject::Connection> m_waits;
};
