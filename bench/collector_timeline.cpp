#include "collector_timeline.h"

#include "collection/batch/batch_cycle.h"
#include "lists/item_list.h"

#include <algorithm>

namespace {

const char *stepName(Collector::Step step)
{
    switch (step) {
    case Collector::Step::Idle: return "idle";
    case Collector::Step::Loading: return "loading";
    case Collector::Step::Scrolling: return "scrolling";
    case Collector::Step::Reading: return "reading";
    case Collector::Step::WaitingForTurn: return "turn";
    case Collector::Step::Saving: return "saving";
    case Collector::Step::AwaitingNetwork: return "network";
    case Collector::Step::Checking: return "checking";
    }
    return "?";
}

bool covers(qint64 from, qint64 to, qint64 at)
{
    return from <= at && at < to;
}

} // namespace

CollectorTimeline::CollectorTimeline(int collectors, int cores)
    : m_collectors(collectors)
    , m_cores(cores)
    , m_loadedAt(collectors, 0)
{
}

void CollectorTimeline::start(qint64 atMs)
{
    m_start = atMs;
}

void CollectorTimeline::step(int collector, Collector::Step step, qint64 atMs)
{
    if (collector < 0 || collector >= m_collectors)
        return;
    m_events.append({atMs, collector, int(step)});
    if (step == Collector::Step::Loading)
        m_loadedAt[collector] = atMs;
    if (step == Collector::Step::Idle) {
        for (Span &dead : m_dead) {
            if (dead.collector == collector && dead.to < 0)
                dead.to = atMs;
        }
    }
}

void CollectorTimeline::pending(int count, qint64 atMs)
{
    m_events.append({atMs, -1, count});
}

void CollectorTimeline::gapHeld(int ms, qint64 atMs)
{
    m_gaps.append({atMs, atMs + ms, -1});
}

void CollectorTimeline::deadPage(int collector)
{
    if (collector >= 0 && collector < m_collectors)
        m_dead.append({m_loadedAt.at(collector), -1, collector});
}

void CollectorTimeline::cpu(double cores, double busiest, const QString &busiestName, qint64 atMs)
{
    const qint64 from = m_samples.isEmpty() ? m_start : m_samples.last().to;
    m_samples.append({from, atMs, cores, busiest, busiestName});
}

void CollectorTimeline::finish(qint64 atMs)
{
    m_end = atMs;
}

void CollectorTimeline::follow(BatchCycle &batch, const ItemList &pending, std::function<qint64()> clock)
{
    QObject::connect(&batch, &BatchCycle::collectorStepChanged, &batch,
                     [this, &pending, clock](int collector, Collector::Step s) {
                         step(collector, s, clock());
                         this->pending(pending.count(), clock());
                     });
    // An item put back on top is back after its collector went idle.
    QObject::connect(&batch, &BatchCycle::itemEnded, &batch,
                     [this, &pending, clock] { this->pending(pending.count(), clock()); });
    QObject::connect(&batch, &BatchCycle::loadGapWaited, &batch, [this, clock](int ms) { gapHeld(ms, clock()); });
    QObject::connect(&batch, &BatchCycle::stepLogged, &batch,
                     [this](const QString &, const QString &text, int collector) {
                         if (text.contains(QStringLiteral("页面加载失败")) || text.contains(QStringLiteral("页面无响应")))
                             deadPage(collector);
                     });
    start(clock());
    this->pending(pending.count(), clock());
}

CollectorTimeline::Sums CollectorTimeline::sums() const
{
    Sums s;
    const qint64 end = m_end >= 0 ? m_end : (m_events.isEmpty() ? m_start : m_events.last().at);
    s.runMs = end - m_start;
    QList<qint64> edges{m_start, end};
    for (const Event &e : m_events)
        edges << e.at;
    for (const QList<Span> *spans : {&m_gaps, &m_dead}) {
        for (const Span &span : *spans)
            edges << span.from << span.to;
    }
    for (const Sample &sample : m_samples)
        edges << sample.from << sample.to;
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    QList<Collector::Step> steps(m_collectors, Collector::Step::Idle);
    int waiting = 0;
    qsizetype next = 0;
    double coreMs = 0;
    for (qsizetype k = 0; k + 1 < edges.size(); ++k) {
        const qint64 a = edges.at(k), b = edges.at(k + 1);
        // Every input up to `a` has happened; those at the same moment in the order they came.
        while (next < m_events.size() && m_events.at(next).at <= a) {
            const Event &e = m_events.at(next++);
            if (e.collector < 0)
                waiting = e.value;
            else
                steps[e.collector] = Collector::Step(e.value);
        }
        if (a < m_start || b > end)
            continue;
        const qint64 d = b - a;
        const bool held = std::any_of(m_gaps.cbegin(), m_gaps.cend(), [a](const Span &g) { return covers(g.from, g.to, a); });
        const auto sample = std::find_if(m_samples.cbegin(), m_samples.cend(),
                                         [a](const Sample &x) { return covers(x.from, x.to, a); });
        const bool busy = sample != m_samples.cend() && sample->cores >= 0.9 * m_cores;
        if (sample != m_samples.cend()) {
            coreMs += sample->cores * double(d);
            s.busyCoresMs += busy ? d : 0;
            s.oneCoreSpinMs += sample->busiest >= 0.9 ? d : 0;
        }
        for (int c = 0; c < m_collectors; ++c) {
            const bool dead = std::any_of(m_dead.cbegin(), m_dead.cend(), [a, c, end](const Span &x) {
                return x.collector == c && covers(x.from, x.to < 0 ? end : x.to, a);
            });
            const Collector::Step st = steps.at(c);
            if (dead && st != Collector::Step::Idle) {
                s.deadPage += d;
                continue;
            }
            qint64 *work = nullptr;
            switch (st) {
            case Collector::Step::Idle:
                (waiting == 0 ? s.idleDrained : held ? s.idleGap : s.idleBatch) += d;
                break;
            case Collector::Step::Loading: work = &s.loading; break;
            case Collector::Step::Scrolling: work = &s.scrolling; break;
            case Collector::Step::Reading: work = &s.reading; break;
            case Collector::Step::Saving: work = &s.saving; break;
            case Collector::Step::WaitingForTurn: s.folderTurn += d; break;
            case Collector::Step::AwaitingNetwork:
            case Collector::Step::Checking: s.network += d; break;
            }
            if (work) {
                *work += d;
                s.workOnBusyCores += busy ? d : 0;
            }
        }
    }
    s.meanCores = s.runMs > 0 ? coreMs / double(s.runMs) : 0;
    return s;
}

QString CollectorTimeline::report(const QString &indent) const
{
    const Sums s = sums();
    const auto sec = [](qint64 ms) { return QString::number(double(ms) / 1000, 'f', 1); };
    QStringList out;
    out << QStringLiteral("run %1 s, %2 collectors: %3 collector-s").arg(sec(s.runMs)).arg(m_collectors)
               .arg(sec(s.runMs * m_collectors));
    out << QStringLiteral("working: loading %1, scrolling %2, reading %3, saving %4")
               .arg(sec(s.loading), sec(s.scrolling), sec(s.reading), sec(s.saving));
    out << QStringLiteral("lost while items waited %1: folder turn %2, dead pages %3, load gap %4, batch timers %5")
               .arg(sec(s.lost()), sec(s.folderTurn), sec(s.deadPage), sec(s.idleGap), sec(s.idleBatch));
    out << QStringLiteral("idle with nothing left to take %1; network checks %2").arg(sec(s.idleDrained), sec(s.network));
    out << QStringLiteral("CPU: mean %1 of %2 cores; every core busy %3 s (work meanwhile %4); one process on a whole core %5 s")
               .arg(s.meanCores, 0, 'f', 2).arg(m_cores).arg(sec(s.busyCoresMs), sec(s.workOnBusyCores), sec(s.oneCoreSpinMs));
    return indent + out.join(QLatin1Char('\n') + indent) + QLatin1Char('\n');
}

QString CollectorTimeline::lines() const
{
    QStringList out;
    for (const Event &e : m_events) {
        out << (e.collector < 0 ? QStringLiteral("%1\tpending\t%2").arg(e.at - m_start).arg(e.value)
                                : QStringLiteral("%1\tcollector %2\t%3").arg(e.at - m_start).arg(e.collector)
                                      .arg(QString::fromLatin1(stepName(Collector::Step(e.value)))));
    }
    for (const Span &g : m_gaps)
        out << QStringLiteral("%1\tgap\t%2").arg(g.from - m_start).arg(g.to - g.from);
    for (const Span &d : m_dead)
        out << QStringLiteral("%1\tdead\tcollector %2\t%3").arg(d.from - m_start).arg(d.collector).arg(d.to - d.from);
    for (const Sample &x : m_samples)
        out << QStringLiteral("%1\tcpu\t%2\t%3\t%4").arg(x.to - m_start).arg(x.cores, 0, 'f', 2).arg(x.busiest, 0, 'f', 2).arg(x.name);
    // In time order; at one moment, in the order they came.
    std::stable_sort(out.begin(), out.end(), [](const QString &l, const QString &r) {
        return l.section(QLatin1Char('\t'), 0, 0).toLongLong() < r.section(QLatin1Char('\t'), 0, 0).toLongLong();
    });
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
