#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <QList>

#include <functional>

class ItemDownload;
class ItemRecordTable;
class ListFile;
class ListStore;
class NetCheck;
class PageAnalyser;
class PageDocument;
class StatusLog;
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
    };
    struct Intervals
    {
        int controllerMs = 2000;  // PickControlTimer
        int scrollerMs = 1000;    // PickTimer1
    };
    static constexpr int Slot = 0;
    static constexpr int MaxPickStep = 16384; // doubling once more would overflow 16 bits

    BatchCycle(const Services &services, const Intervals &intervals, QObject *parent = nullptr);

    // "启动": after the reachability check, switches the controller on.
    // `then` (optional) learns whether it started, after the start was logged.
    void StartPickCmd_Click(std::function<void(bool started)> then = {});
    // "暂停": the item under way is finished first.
    void StopPickCmd_Click();

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

    // Shutdown: an item under way goes back to the top of the pending list
    // with the interrupted-item marker. The caller saves the lists.
    void requeueInterruptedItem();

    // Exposed for tests of the tick rules.
    int PickStep() const { return m_pickStep; }

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

private:
    void PickControlTimer_Timer();
    void PickTimer1_Timer();
    void PickNextItem();
    void LoadPickPage(const QString &itemNo, const QString &address, std::function<void(bool)> done);
    void onPageRead(const QString &itemNo, const QString &address, const PageSnapshot &page,
                    const std::function<void(bool)> &done);
    void onScrollHeight(double height);
    void finishScrolling();
    void rejectLine(const QString &line, const QString &itemNo, const QString &address);
    void removeTakenLine(const QString &line);
    void logLine(const QString &itemNo, const QString &text, const QString &address);
    void logItem(const QString &text);
    void setStartEnabled(bool enabled);
    void setStopCaption(const QString &caption);

    Services m_s;
    QTimer m_controller;
    QTimer m_scroller;
    QList<std::function<void(bool)>> m_startWaiters; // starts waiting for the reachability check
    bool m_loading = false;      // LoadPickPage is under way
    bool m_scrollQuery = false;  // a scroller tick waits for the page
    bool m_pauseFlag = false;
    bool m_viewLent = false;
    bool m_startEnabled = true;
    QString m_stopCaption;
    QString m_indicator;
    bool m_denVisible = true;

    int m_pickStep = 10;
    double m_pickPos = 0;
    quint32 m_pickTick = 0;
    double m_lastHeight = 0;
    double m_newHeight = 0;
};
