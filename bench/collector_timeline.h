#pragma once

// What each collector of a batch did over a run (loading, scrolling, reading,
// waiting for its folder's turn, saving, idle) and the process tree's CPU,
// and where the collectors' time went: the sums say how long collectors were
// idle while items waited and why (the gap between loads, the folder turn, a
// dead page's budget), and how much of their work ran while every core was
// busy. Times come from a clock the caller gives, so a test may run its own.

#include "collection/batch/collector.h"

#include <QList>
#include <QString>

#include <functional>

class BatchCycle;
class ItemList;

class CollectorTimeline
{
public:
    CollectorTimeline(int collectors, int cores);

    // Inputs, each at `atMs` on the caller's clock; times never go back.
    void start(qint64 atMs);
    void step(int collector, Collector::Step step, qint64 atMs);
    void pending(int count, qint64 atMs);
    // The batch holds the next load `ms` for the gap after the last.
    void gapHeld(int ms, qint64 atMs);
    // The item collector `collector` holds is a dead page: from its load on,
    // its time counts as the dead page's.
    void deadPage(int collector);
    // Cores the process tree used since the previous sample, and the busiest
    // process's share of them.
    void cpu(double cores, double busiest, const QString &busiestName, qint64 atMs);
    void finish(qint64 atMs);

    // Follows the batch's collectors, its gap and its pending list (dead pages
    // by their log lines) with `clock`.
    void follow(BatchCycle &batch, const ItemList &pending, std::function<qint64()> clock);

    // Collector-milliseconds, over all collectors, from start to finish.
    struct Sums
    {
        qint64 runMs = 0;
        qint64 loading = 0, scrolling = 0, reading = 0, saving = 0;
        qint64 folderTurn = 0;  // read, waiting for the folder's turn
        qint64 deadPage = 0;    // holding a page that turned out dead, from its load to its end
        qint64 network = 0;     // waiting for the network check, or checking a moved page
        qint64 idleGap = 0;     // idle while items waited, the gap holding the next load
        qint64 idleBatch = 0;   // idle while items waited, nothing holding it but the batch's timers
        qint64 idleDrained = 0; // idle with nothing left to take
        qint64 workOnBusyCores = 0; // loading, scrolling, reading or saving while the tree used every core
        qint64 busyCoresMs = 0;     // plain time the tree used every core
        qint64 oneCoreSpinMs = 0;   // plain time one process used a whole core by itself
        double meanCores = 0;
        qint64 lost() const { return folderTurn + deadPage + idleGap + idleBatch; }
    };
    Sums sums() const;
    // The sums in a few lines, each prefixed by `indent`.
    QString report(const QString &indent) const;
    // Every step and sample, one a line, tab-separated: milliseconds, then
    // "collector N step" or "cpu cores busiest name".
    QString lines() const;

private:
    struct Event
    {
        qint64 at;
        int collector; // -1: the pending list
        int value;     // a Collector::Step, or the pending count
    };
    struct Span
    {
        qint64 from, to;
        int collector;
    };
    struct Sample
    {
        qint64 from, to;
        double cores, busiest;
        QString name;
    };
    int m_collectors;
    int m_cores;
    qint64 m_start = 0;
    qint64 m_end = -1;
    QList<Event> m_events;
    QList<Span> m_gaps;      // collector -1
    QList<Span> m_dead;      // open (to -1) until the collector's next step to Idle
    QList<qint64> m_loadedAt; // per collector: its last step to Loading
    QList<Sample> m_samples;
};
