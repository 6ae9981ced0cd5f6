#pragma once

#include "collection/batch/page_scroller.h"
#include "collection/page_document.h"
#include "lists/item_lines.h"

#include <QObject>
#include <QString>

#include <functional>

class ItemDownload;
class ItemRecordTable;
class ListFile;
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
        // True when the line's page failed to be read before (it is
        // forgotten then); otherwise it is remembered.
        std::function<bool(const QString &line)> failedBefore;
    };
    struct Timing
    {
        int scrollerMs = 1000;
        int maxScrollMs = 10 * 60 * 1000;
        FastScroller::Timing fast;
        PagePatience standardPatience;
        PagePatience fastPatience;
    };
    // How an item ended. Rejected items went back to the address box and
    // saved ones into the downloaded list; the batch decides about the others.
    enum class Ending { Saved, Rejected, Moved, GivenBack, SaveFailed };

    Collector(int slot, const Services &services, const Timing &timing, QObject *parent = nullptr);

    int slot() const { return m_slot; }
    PageDocument &view() { return m_s.view; }
    // An item is taken, from its load to its end, or a page is checked.
    bool isBusy() const { return m_busy; }
    // Its page passed the check: it is scrolled, read or saved.
    bool isCollecting() const;
    // Its item is loading or collecting, not yet saved: listdata.txt keeps it.
    bool holdsItem() const { return m_loading || isCollecting(); }
    const PendingLine &taken() const { return m_taken; }
    quint64 ticket() const { return m_ticket; }
    // Where the page of the item that ended Moved took the reader.
    QString movedTo() const { return m_movedTo; }
    StandardScroller &standardScroller() { return m_standard; }

    void take(const PendingLine &taken, quint64 ticket, bool fast);
    // The batch's turn for the item's folder came: it is saved.
    void save();
    // Loads a page in this collector's view for the moved-page rule.
    void check(const QString &address, std::function<void(const PageLoad &)> done);
    // Shutdown: nothing more is scrolled, and answers are let go.
    void halt();
    // Shutdown: the item's line went back to the pending list.
    void release();

signals:
    // The item's page passed the check; the name its folder will want.
    void titleKnown(quint64 ticket, const QString &folderName);
    // A page taken for an item page loaded as one.
    void itemPageLoaded(const QString &address);
    // Read and analysed: the item waits for its folder's turn.
    void readyToSave(quint64 ticket);
    void ended(Collector::Ending ending);
    // A step of the item was logged: the message text without item number
    // and address, for the window's progress strip.
    void stepLogged(const QString &itemNo, const QString &step);
    // At the standard pace: how far the page has been scrolled against its
    // height, and how many description pictures it shows by now.
    void scrollProgress(double scrolled, double height, int pictures);
    // The item's pictures fetched so far, of all.
    void picturesProgressed(int done, int total);

private:
    void onPageLoaded(const PageLoad &load);
    void readRecord(const PageSnapshot &page);
    void finishScrolling();
    void reportScroll(double amount, double height);
    void readFailed();
    void reject(const QString &why);
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
    bool m_busy = false;
    bool m_loading = false;
    bool m_halted = false;
    PendingLine m_taken;
    quint64 m_ticket = 0;
    QString m_movedTo;
    double m_lastHeight = 0; // the body's height when the page was read
};
