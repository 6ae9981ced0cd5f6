#pragma once

#include "collection/batch/moved_items.h"
#include "collection/page_document.h"
#include "collection/batch/page_scroller.h"
#include "lists/item_lines.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class DownloadedAddresses;
class ItemDownload;
class ItemRecordTable;
class ListFile;
class ListStore;
class NetCheck;
class PageAnalyser;
class PageDocument;
class StatusLog;
struct PageLoad;
struct PageSnapshot;

// Works the pending list off one item at a time: a controller timer takes the
// first pending line, the collector's view loads it, the page is checked and
// scrolled step by step by a scroller timer until its lazily loaded
// description has arrived, and the item download saves it. A state machine on
// timers and callbacks: nothing here waits.
class BatchCycle : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        PageDocument &view;
        PageAnalyser &analyser;
        ItemRecordTable &records;
        ListStore &lists;
        ListFile &listFile;
        ItemDownload &download;
        NetCheck &net;
        StatusLog &log;
        const DownloadedAddresses &downloaded;
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
        // How long the collector's page may take at each pace. At the fast
        // pace a page that sends nothing, or hangs, costs seconds, not minutes.
        PagePatience standardPatience{};
        PagePatience fastPatience{60000, 15000, 5000};
        // At the fast pace, a request of the page's own older than this (a
        // long poll, a beacon) no longer keeps the item waiting.
        int requestLimitMs = 10000;
    };
    // Standard: the gentle timers. Fast: as quickly as the page and the
    // network allow, the next item at once, pictures over several connections.
    enum class Pace { Standard, Fast };
    static constexpr int Slot = 0;
    // A record the fast pace reads a page into ahead of time.
    static constexpr int ScratchSlot = 1;
    static constexpr int MaxPickStep = StandardScroller::MaxPickStep;

    BatchCycle(const Services &services, const Intervals &intervals, QObject *parent = nullptr);

    // "启动": after the reachability check, switches the controller on,
    // unless "暂停" was pressed while the check ran. `then` (optional) learns
    // whether it started, after the start was logged.
    void StartPickCmd_Click(std::function<void(bool started)> then = {});
    // "暂停": the item under way is finished first.
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
    // An item has been taken (loading, scrolling or downloading).
    bool isItemUnderWay() const;

    // While lent (to shop discovery), the collector's view loads no item.
    void setViewLent(bool lent) { m_viewLent = lent; }

    // Shutdown: nothing more is started, taken or scrolled, and the answer of
    // a page being loaded or read is let go. The program may still run a
    // while (a message is read), and the lists are final by then.
    void halt();
    // Shutdown: an item under way goes back to the top of the pending list
    // as it was taken, with the interrupted-item marker. The caller saves.
    void requeueInterruptedItem();
    // The pending lines of the items taken and not ended (the item under way,
    // and items whose moved page awaits a verdict) with the interrupted-item
    // marker, in the order they were taken, as listdata.txt keeps them until
    // they end.
    QStringList underWayLines() const;

    Pace pace() const { return m_pace; }
    // Takes effect with the next item.
    void setPace(Pace pace) { m_pace = pace; }

    // 跳过已下载: a pending line whose page is in the downloaded list leaves
    // the pending list as it is taken, and the next one is taken at once.
    bool skipsDownloaded() const { return m_skipDownloaded; }
    void setSkipDownloaded(bool skip) { m_skipDownloaded = skip; }
    bool isDownloaded(const QString &address) const;

    // Exposed for tests of the tick rules.
    int PickStep() const { return m_standard.PickStep(); }

signals:
    void uiStateChanged();
    // A controller tick found nothing to do: no item under way, nothing pending.
    void idle();
    // The pause took effect: the controller is off.
    void stopped();
    // The item under way ended (downloaded, rejected or given back).
    void itemEnded();
    // A step of the item under way was logged: the message text without item
    // number and address (e.g. "采集中:加载_"), for the window's progress strip.
    void stepLogged(const QString &itemNo, const QString &step);
    // The marketplace moved the reader to a page of its own (a verification
    // or login page) instead of its item pages: the items are back on top of
    // the pending list and the batch pauses until the user has passed the
    // check at this address and starts again.
    void verificationWall(const QString &pageAddress);
    // At the standard pace, for the progress strip: how far the page under
    // way has been scrolled (the scroll amount of its height, in pixels) and
    // how many description pictures it shows by now.
    void scrollProgress(double scrolled, double height, int pictures);

private:
    enum class Rejection { NotDetailPage, NotLoaded, NotResponding, Moved };

    void PickControlTimer_Timer();
    void PickNextItem();
    void tickAtOnceWhenFast();
    // Lines of items downloaded already leave the pending list (跳过已下载).
    void skipDownloadedLines();
    // Moved pages (batch_moved.cpp): taken off sale, or a wall.
    void onMoved(const PendingLine &taken);
    void checkKnownPage(const QString &known, bool atQueueEnd);
    void decideAtQueueEnd();
    void setAside(const MovedItems::Item &item);
    void holdAtWall(const QList<MovedItems::Item> &items, const QString &wallAddress);
    void giveBackSoldOut(const QList<MovedItems::Item> &items);
    void putBackUndecided();
    // The pace is taken up by each item as it is taken: its scroller, its
    // connections and how long its page may take.
    void takeUpPace();
    // done(nothing) for a detail page, otherwise why the line is rejected.
    using PageVerdict = std::function<void(std::optional<Rejection>)>;
    void LoadPickPage(const QString &itemNo, const QString &address, PageVerdict done);
    void onPageLoaded(const QString &itemNo, const QString &address, const PageLoad &load, const PageVerdict &done);
    void finishScrolling();
    void reportScroll(double amount, double height);
    void onDownloadFailed(const QString &reason);
    void readFailed();
    void giveBack();
    void endItem();
    // Back into the address box as the user would type it, and logged.
    void rejectLine(const QString &line, const QString &itemNo, const QString &address, Rejection why);
    void returnToBox(const QString &line, const QString &itemNo, const QString &address, const QString &why);
    void removeTakenLine(const QString &line);
    void logLine(const QString &itemNo, const QString &text, const QString &address);
    void logItem(const QString &text);
    void setStartEnabled(bool enabled);
    void setStopCaption(const QString &caption);

    Services m_s;
    Intervals m_intervals;
    QTimer m_controller;
    StandardScroller m_standard;
    FastScroller m_fast;
    PageScroller *m_scroller = &m_standard; // of the item under way
    bool m_itemFast = false;                // the item under way is collected at the fast pace
    Pace m_pace = Pace::Standard;
    QList<std::function<void(bool)>> m_startWaiters; // starts waiting for the reachability check
    bool m_loading = false;      // LoadPickPage is under way
    bool m_pauseFlag = false;
    bool m_pausedDuringCheck = false; // "暂停" after the last "启动" whose check runs
    bool m_viewLent = false;
    bool m_halted = false;
    bool m_startEnabled = true;
    QString m_startRefusal; // why starts are refused; empty when they are not
    QString m_stopCaption;
    QString m_indicator;
    bool m_denVisible = true;

    // The item under way as its pending line was taken: what goes back when
    // it cannot be finished.
    PendingLine m_taken;
    // The item whose page last failed to be read: failing twice in a row, it
    // goes back to the address box instead of being tried for ever.
    QString m_lastFailed;
    double m_lastHeight = 0; // the body's height when the page was read
    QString m_movedTo;       // where the marketplace moved the reader instead
    MovedItems m_moved;
    bool m_skipDownloaded = false;
};
