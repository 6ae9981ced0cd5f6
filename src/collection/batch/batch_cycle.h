#pragma once

#include "collection/batch/collector.h"
#include "collection/batch/moved_items.h"
#include "collection/page_document.h"
#include "lists/item_lines.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class DownloadedAddresses;
class ItemDownload;
class ItemRecordTable;
class ListFile;
class ListStore;
class NetCheck;
class PageAnalyser;
class StatusLog;

// Works the pending list off with up to four collectors at once (同时采集):
// a controller timer takes pending lines from the top, in order, and hands
// each to a free collector, whose hidden view loads, scrolls and saves it.
// Decides what the collectors cannot decide alone: in which order folders
// are made, whether a moved page means an item taken off sale or a wall, and
// where items that could not be finished go. Every taken item is at all
// times in exactly one place: a collector, the moved items waiting for a
// verdict, or one of the three lists. A state machine on timers and
// callbacks: nothing here waits.
class BatchCycle : public QObject
{
    Q_OBJECT
public:
    // What one collector works with of its own: its hidden view and its download.
    struct CollectorParts
    {
        PageDocument &view;
        ItemDownload &download;
    };
    struct Services
    {
        PageAnalyser &analyser;
        ItemRecordTable &records;
        ListStore &lists;
        ListFile &listFile;
        NetCheck &net;
        StatusLog &log;
        const DownloadedAddresses &downloaded;
        // Collector n's parts, made when it is first needed (n from 0).
        std::function<CollectorParts(int n)> collectorParts;
        // Milliseconds on a steady clock; a test may run its own. Empty: the machine's.
        std::function<qint64()> clock = {};
    };
    struct Intervals
    {
        int controllerMs = 2000;  // PickControlTimer
        int scrollerMs = 1000;    // PickTimer1
        // A page that keeps growing is scrolled no longer than this; the item
        // goes on with what the page holds by then.
        int maxScrollMs = 10 * 60 * 1000;
        // The same at the fast pace.
        int fastMaxScrollMs = 60 * 1000;
        // How long the collector's page may take at each pace.
        PageLimits pages;
        // Collectors start their page loads at least this far apart.
        int loadGapMs = 300;
        // An item ready to be saved waits no longer than this for an item
        // taken before it whose page has not loaded (whose title might be its
        // own), and no item waits for a page this long after it was asked for.
        int folderWaitMs = 3000;
        // Without network, the batch asks again this often, and after
        // offlineLimitMs says so (offlineTooLong) while it goes on asking.
        int networkRecheckMs = 15000;
        int offlineLimitMs = 10 * 60 * 1000;
    };
    // Standard: the gentle timers. Fast: as quickly as the page and the
    // network allow, the next item at once, pictures over several connections.
    enum class Pace { Standard, Fast };
    static constexpr int Slot = 0; // collector 0's item record
    static constexpr int MaxCollectors = 4;
    static constexpr int MaxPickStep = StandardScroller::MaxPickStep;
    // An item whose page failed this often is not tried again in this run.
    static constexpr int MaxTries = 2;

    BatchCycle(const Services &services, const Intervals &intervals, QObject *parent = nullptr);

    // "启动": after the reachability check, switches the controller on,
    // unless "暂停" was pressed while the check ran. `then` (optional) learns
    // whether it started, after the start was logged.
    void StartPickCmd_Click(std::function<void(bool started)> then = {});
    // "暂停": no item is taken any more; the items under way are finished first.
    void StopPickCmd_Click();
    // A copy of the program that does not own the lists never collects (two
    // copies would take the same items): every start is refused with this
    // log line, and "启动" stays disabled.
    void refuseStarts(const QString &logLine);

    // What the window shows.
    bool isStartEnabled() const { return m_startEnabled; }
    QString stopCaption() const { return m_stopCaption; }
    QString indicatorCaption() const { return m_indicator; }
    bool isProDenLblVisible() const { return m_denVisible; }

    bool isControllerOn() const { return m_controller.isActive(); }
    bool PickPauseFlag() const { return m_pauseFlag; }
    // The network went away under the batch: it takes nothing until it is back.
    bool isOffline() const { return m_offline; }
    // An item has been taken (loading, scrolling or saving) or a page is
    // checked, by any collector.
    bool isItemUnderWay() const;

    // While lent (to shop discovery or a check of the watched shops), no
    // collector takes an item: their views are the walks' once the items
    // under way have ended.
    void setViewLent(bool lent) { m_viewLent = lent; }
    // Collector n's view (n from 0), made when first asked for.
    PageDocument &collectorView(int n);

    // Shutdown: nothing more is started, taken, scrolled or fetched, and the
    // answer of a page being loaded or read is let go. The program may still
    // run a while (a message is read), and the lists are final by then.
    void halt();
    // Shutdown: the items under way go back to the top of the pending list
    // as they were taken, in that order, with the interrupted-item marker.
    // The caller saves.
    void requeueInterruptedItem();
    // The pending lines of the items taken and not ended (under way, or
    // waiting for a verdict on their moved page) with the interrupted-item
    // marker, in the order they were taken, as listdata.txt keeps them.
    QStringList underWayLines() const;

    Pace pace() const { return m_pace; }
    // Both take effect with the next item taken.
    void setPace(Pace pace) { m_pace = pace; }
    int collectors() const { return m_collectorCount; }
    void setCollectors(int count);
    // The collectors made so far (at least one).
    const QList<Collector *> &collectorList() const { return m_collectors; }

    // 跳过已下载: a pending line whose page is in the downloaded list leaves
    // the pending list as it is taken, and the next one is taken at once.
    bool skipsDownloaded() const { return m_skipDownloaded; }
    void setSkipDownloaded(bool skip) { m_skipDownloaded = skip; }
    bool isDownloaded(const QString &address) const;

    // Exposed for tests of the tick rules.
    int PickStep() const { return m_collectors.first()->standardScroller().PickStep(); }

signals:
    void uiStateChanged();
    // A controller tick found nothing to do: no item under way, nothing pending.
    void idle();
    // The pause took effect: the controller is off.
    void stopped();
    // An item ended (saved, rejected, given back, or its moved page decided).
    void itemEnded();
    // No collector holds an item any more.
    void collectorsIdle();
    // A step of an item was logged by collector `collector`: the message text
    // without item number and address (e.g. "采集中:加载_").
    void stepLogged(const QString &itemNo, const QString &step, int collector);
    // The marketplace moved the reader to a page of its own (a verification
    // or login page) instead of its item pages: the items are back on top of
    // the pending list and the batch pauses until the user has passed the
    // check at this address and starts again.
    void verificationWall(const QString &pageAddress);
    // At the standard pace, for the progress strip: how far collector
    // `collector`'s page has been scrolled against its height, and how many
    // description pictures it shows by now.
    void scrollProgress(double scrolled, double height, int pictures, int collector);
    // Collector `collector`'s item: pictures fetched so far, of all.
    void picturesProgressed(int done, int total, int collector);
    // Collector `collector`'s item was saved and listed as downloaded.
    void itemSaved(int collector);
    // What collector `collector` does changed; and a free collector's next
    // load waits `ms` for the gap after the last. For timelines of a run.
    void collectorStepChanged(int collector, Collector::Step step);
    void loadGapWaited(int ms);
    // Nothing answered and the network check failed too: the items are back
    // on top and the batch waits for the network (networkBack), asking again
    // every networkRecheckMs.
    void networkLost();
    void networkBack();
    // The network has been away for offlineLimitMs: the window goes on
    // waiting; a run nobody watches may end here.
    void offlineTooLong();

private:
    void PickControlTimer_Timer();
    void fillCollectors();
    // Takes the first pending line into `collector`; false when none is taken.
    bool takeNext(Collector &collector);
    // The line can be taken now: with 跳过已下载, not while an item of its
    // page is in a collector (it may be downloaded by the time it ends).
    bool mayTake(const PendingLine &line) const;
    Collector *freeCollector();
    Collector &collector(int n);
    void connectCollector(Collector &collector);
    void tickAtOnceWhenFast();
    // Lines of items downloaded already leave the pending list (跳过已下载).
    void skipDownloadedLines();
    void rejectWithoutLoading(const PendingLine &line, const QString &text);

    // Endings (batch_endings.cpp): every item's end is queued and handled
    // here, one at a time, and so are the saves its end may free.
    void onEnded(const Collector::End &end);
    void settle();
    void handle(const Collector::End &end);
    // The items held and not saved yet, in the order they were taken.
    QList<Collector *> unsavedInTakingOrder() const;
    // The next item whose folder's turn has come.
    Collector *nextToSave();
    void armSaveWait();
    // An item ended, or its moved page was decided.
    void itemDone();
    // Back on top of the pending list, after the lines put back before that
    // were taken before it: together in the order they were taken. Saved.
    void putBackOnTop(quint64 ticket, const PendingLine &line);
    // The same for several, saved once all are back.
    void putBackOnTop(const QList<MovedItems::Item> &items);
    void insertOnTop(quint64 ticket, const PendingLine &line);
    // Counts a failure of the line; true when it failed before.
    bool failedBefore(const PendingLine &line);

    // Moved pages (batch_moved.cpp): taken off sale, or a wall.
    void onMoved(const Collector::End &end);
    void followMoved(const PendingLine &line);
    void onItemPageLoaded(const Collector &collector, const QString &address);
    // Carries out what the moved-page rule says now.
    void decideMoved();
    MovedItems::Outlook outlook() const;
    void startCheck(Collector &collector);
    void onChecked(const QString &address, const PageLoad &load);
    void checkRefuted(const QString &wallAddress);
    // Downloaded items' addresses, newest first, each page once: the references.
    QStringList references() const;
    void holdAtWall(const QList<MovedItems::Item> &items, const QString &wallAddress);
    void giveBackSoldOut(const QList<MovedItems::Item> &items);
    void putBackUndecided();

    // The network (batch_network.cpp): whether an unanswered page means the
    // network is gone, and waiting for it to come back.
    void onUnanswered(Collector &collector);
    void askNetwork();
    void onNetworkAnswer(bool reachable);
    void goOffline();
    void leaveOffline(bool log);
    qint64 now() const;

    void logLine(const QString &itemNo, const QString &text, const QString &address);
    void setStartEnabled(bool enabled);
    void setStopCaption(const QString &caption);

    Services m_s;
    Intervals m_intervals;
    QTimer m_controller{this};
    QList<Collector *> m_collectors;
    int m_collectorCount = 1;
    Pace m_pace = Pace::Standard;
    QList<std::function<void(bool)>> m_startWaiters; // starts waiting for the reachability check
    bool m_pauseFlag = false;
    bool m_pausedDuringCheck = false; // "暂停" after the last "启动" whose check runs
    bool m_viewLent = false;
    bool m_halted = false;
    bool m_startEnabled = true;
    QString m_startRefusal; // why starts are refused; empty when they are not
    QString m_stopCaption;
    QString m_indicator;
    bool m_denVisible = true;

    quint64 m_nextTicket = 1;
    QList<Collector::End> m_endings; // queued, handled by settle()
    bool m_settling = false;
    QTimer m_saveWait{this}; // the longest wait for an unknown title runs out
    // Tickets of the lines put back on top since, in the order they stand.
    QList<quint64> m_backOnTop;
    QTimer m_gap; // the next load waits for the gap after the last
    qint64 m_loadedAt = -1; // the last load's start, on the batch's clock
    // Failures per item (number and address as queued) in this run of the
    // program: each is tried at most MaxTries times whatever the others do.
    QHash<QString, int> m_failures;
    MovedItems m_moved;
    QString m_wallAddress; // where the first reference that moved too took the reader
    bool m_skipDownloaded = false;

    QElapsedTimer m_steady;
    QList<Collector *> m_unanswered; // waiting for the network check's answer
    bool m_askingNetwork = false;
    QString m_checkUnanswered; // the moved-page check's page, which got no answer
    bool m_offline = false; // the network is away
    qint64 m_offlineSince = 0;
    bool m_toldTooLong = false;
    QTimer m_recheck{this};
};
