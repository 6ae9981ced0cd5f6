#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <optional>

class PageDocument;
struct ScrollState;

// Scrolls the collector's page until its lazily loaded content has arrived.
// One run at a time; every run ends with exactly one of the end signals,
// unless it is stopped.
class PageScroller : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // pageHeight: the body's height when the page was read.
    virtual void start(double pageHeight) = 0;
    // Ends the run without a signal.
    virtual void stop() = 0;

signals:
    // A step worth a line in the log.
    void progressed();
    // The end of the page was reached and its content is in.
    void arrived();
    // The time allowed passed before the page settled: it is taken as it is.
    void timedOut();
    // The page stopped answering.
    void pageLost();
    // Description pictures that have their address by now (fast pace only).
    void picturesSeen(const QStringList &addresses);
    // The scroll amount so far against the page's height (standard pace only).
    void scrolled(double amount, double height);
};

// The gentle pace: one step a second, starting at 10 pixels and doubling
// while the page stops growing, until the scroll amount reaches its height.
class StandardScroller : public PageScroller
{
    Q_OBJECT
public:
    static constexpr int MaxPickStep = 16384; // doubling once more would overflow 16 bits

    StandardScroller(PageDocument &view, int tickMs, int maxScrollMs, QObject *parent = nullptr);

    void start(double pageHeight) override;
    void stop() override;
    int PickStep() const { return m_pickStep; }

private:
    void PickTimer1_Timer();
    void onScrollHeight(std::optional<double> height);

    PageDocument &m_view;
    QTimer m_timer;
    int m_maxScrollMs;
    QDeadlineTimer m_deadline;
    bool m_query = false; // a tick waits for the page
    int m_pickStep = 10;
    double m_pickPos = 0;
    quint32 m_pickTick = 0; // counts for the life of the program; used modulo 5
    double m_lastHeight = 0;
    double m_newHeight = 0;
};

// As fast as the page takes it: a viewport at a time, moving on once the
// page has drawn the new view and the pictures in it have started, until the
// end is reached and the page has settled: no growth, no description picture
// loading and no request of the page's own in flight, for the settle time.
class FastScroller : public PageScroller
{
    Q_OBJECT
public:
    struct Timing
    {
        int pollMs = 10;
        int settleMs = 250;        // at the end, this long without growth, a picture loading or a request
        int requestLimitMs = 10000; // a request older than this (a long poll, a beacon) no longer counts
        int stepLimitMs = 2000;    // the longest wait for one view's pictures to start
        int maxScrollMs = 60000;   // the whole page
        int progressMs = 1000;     // the least time between two progress signals
    };

    FastScroller(PageDocument &view, const Timing &timing, QObject *parent = nullptr);

    void start(double pageHeight) override;
    void stop() override;

private:
    void poll();
    void onState(const std::optional<ScrollState> &state);
    void pollLater();

    PageDocument &m_view;
    Timing m_timing;
    QTimer m_timer;
    bool m_running = false;
    QDeadlineTimer m_deadline;
    QElapsedTimer m_sinceStep;     // since the last scroll
    QElapsedTimer m_sinceProgress; // since the last progress signal
    QElapsedTimer m_quietFor;      // at the end, no growth and no picture loading
    qint64 m_framesAtStep = 0;
    int m_seenPictures = 0;
    double m_lastHeight = -1;
    bool m_atEnd = false;
};
