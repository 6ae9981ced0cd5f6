#pragma once

#include "collection/batch/page_scroller.h"
#include "collection/page_document.h"
#include "lists/item_lines.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class ItemDownload;
class ItemRecordTable;
class ListStore;
class PageAnalyser;
class StatusLog;

// One hidden view working off one item at a time: its page loaded and
// checked, scrolled until the lazily loaded description has arrived, read,
// and saved by a download of its own into the item record of its slot. What
// to take, in which order folders are made, and what becomes of an item whose
// page moved or that could not be saved, is the batch's business. A state
// machine on timers and callbacks: nothing here waits.
class Collector : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        PageDocument &view;
        ItemDownload &download;
        PageAnalyser &analyser;
        ItemRecordTable &records;
        ListStore &lists;
        StatusLog &log;
        // True when the item failed before and is not to be tried again.
        // Each call counts one failure of the item.
        std::function<bool(const PendingLine &taken)> failedBefore;
    };
    struct Timing
    {
        int scrollerMs = 1000;
        int maxScrollMs = 10 * 60 * 1000;
        FastScroller::Timing fast;
        PageLimits pages;
    };
    // How an item ended. Rejected items went back to the address box and
    // saved ones into the downloaded list; the batch decides about the others.
    // Offline: the network went away under it, which is not the item's failure.
    enum class Ending { Saved, Rejected, Moved, GivenBack, SaveFailed, Offline };
    // An item's end as the batch learns it: the collector is idle by then and
    // keeps nothing of the item.
    struct End
    {
        Ending ending;
        int slot = 0; // the collector's
        PendingLine taken;
        quint64 ticket = 0;
        QString movedTo; // where a Moved item's page took the reader
    };
    // What the collector is doing. From Loading until the item ends, the item
    // is held here and nowhere else; Checking loads a page for the moved-page
    // rule and holds no item. AwaitingNetwork: nothing answered the item's page
    // or pictures, and the batch asks whether the network is there at all.
    enum class Step { Idle, Loading, Scrolling, Reading, WaitingForTurn, Saving, AwaitingNetwork, Checking };

    Collector(int slot, const Services &services, const Timing &timing, QObject *parent = nullptr);

    int slot() const { return m_slot; }
    PageDocument &view() { return m_s.view; }
    Step step() const { return m_step; }
    bool isBusy() const { return m_step != Step::Idle; }
    bool holdsItem() const { return isBusy() && m_step != Step::Checking; }
    bool isLoading() const { return m_step == Step::Loading; }
    // Its page passed the check: it is scrolled, read or saved.
    bool isCollecting() const { return holdsItem() && m_step != Step::Loading && !(m_step == Step::AwaitingNetwork && !m_pageRead); }
    // The item held, and the order it was taken in (0 when none is held).
    const PendingLine &taken() const { return m_taken; }
    quint64 ticket() const { return m_ticket; }
    // When the item's page was asked for, in the batch's order of requests and moves.
    quint64 requestedAt() const { return m_requestedAt; }
    // The folder name the item's title gives, once its page has loaded.
    const std::optional<QString> &folderName() const { return m_folderName; }
    // How long it has waited for its folder's turn.
    qint64 waitedForTurnMs() const { return m_readySince.isValid() ? m_readySince.elapsed() : 0; }
    // How long since the item was taken and its page asked for.
    qint64 takenForMs() const { return m_takenSince.isValid() ? m_takenSince.elapsed() : 0; }
    StandardScroller &standardScroller() { return m_standard; }

    void take(const PendingLine &taken, quint64 ticket, quint64 requestedAt, bool fast);
    // The batch's turn for the item's folder came: it is saved.
    void save();
    // The batch's answer while AwaitingNetwork: with the network there, the
    // item failed; without, it ends Offline, to be taken again later.
    void networkChecked(bool reachable);
    // Loads a page in this collector's view for the moved-page rule.
    void check(const QString &address, std::function<void(const PageLoad &)> done);
    // Shutdown: nothing more is scrolled or fetched, and answers are let go.
    void halt();
    // Shutdown: the item's line went back to the pending list.
    void release();

signals:
    // The item's page passed the check: folderName() is known.
    void titleKnown();
    // A page taken for an item page loaded as one.
    void itemPageLoaded(const QString &address);
    // Read and analysed: the item waits for its folder's turn.
    void readyToSave();
    // Nothing answered: the batch is to ask about the network (networkChecked).
    void unanswered();
    void ended(const Collector::End &end);
    // A step of the item was logged: the message text without item number
    // and address, for the window's progress strip.
    void stepLogged(const QString &itemNo, const QString &step);
    // At the standard pace: how far the page has been scrolled against its
    // height, and how many description pictures it shows by now.
    void scrollProgress(double scrolled, double height, int pictures);
    // The item's pictures fetched so far, of all.
    void picturesProgressed(int done, int total);
    // What the collector does changed (for timelines of a run).
    void stepChanged(Collector::Step step);

private:
    // The one place the step changes; the record table's busy flag follows it.
    void setStep(Step step);
    void onPageLoaded(const PageLoad &load);
    void readRecord(const PageSnapshot &page);
    void finishScrolling();
    void reportScroll(double amount, double height);
    // The item could not be finished this time: back on top of the pending
    // list once, to the address box the second time.
    void giveUp(const QString &onceText, const QString &twiceText);
    void pageLost();
    void reject(const QString &why);
    // What nothing answering means is asked first; `failure` runs when the network is there.
    void awaitNetwork(std::function<void()> failure);
    void end(Ending ending);
    // With the item number and address as taken, or as the page gave them.
    void logTaken(const QString &text);
    void logItem(const QString &text);

    int m_slot;
    Services m_s;
    Timing m_timing;
    StandardScroller m_standard;
    FastScroller m_fast;
    PageScroller *m_scroller = &m_standard;
    bool m_fastItem = false;
    Step m_step = Step::Idle;
    bool m_halted = false;
    PendingLine m_taken;
    bool m_interrupted = false; // its line was under way when a run ended
    quint64 m_ticket = 0;
    quint64 m_requestedAt = 0;
    QString m_movedTo;
    std::optional<QString> m_folderName;
    QElapsedTimer m_readySince;
    QElapsedTimer m_takenSince;
    bool m_pageRead = false; // the record holds what the item's page gave
    std::function<void()> m_failure; // while AwaitingNetwork
    double m_lastHeight = 0; // the body's height when the page was read
};
