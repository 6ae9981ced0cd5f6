#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <vector>

// How late each tick of a 10 ms timer came: the event loop's stalls.
class StallMeter : public QObject
{
public:
    static constexpr int TickMs = 10;

    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(TickMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_lateMs.push_back(double(now - m_last) / 1e6 - TickMs);
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longest() const { return m_lateMs.empty() ? 0 : *std::max_element(m_lateMs.cbegin(), m_lateMs.cend()); }
    double percentile99() const
    {
        if (m_lateMs.empty())
            return 0;
        std::vector<double> sorted = m_lateMs;
        std::sort(sorted.begin(), sorted.end());
        return sorted.at(size_t(double(sorted.size() - 1) * 0.99));
    }
    size_t ticks() const { return m_lateMs.size(); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<double> m_lateMs;
};
