#pragma once

// CPU of a process tree (Chromium's helper processes included), read from
// /proc between two samples: the cores the whole tree used, and the busiest
// process's share. A process that ended between two samples loses its last
// slice.

#include "process_memory.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QString>

#include <unistd.h>

#include <algorithm>

class TreeCpu
{
public:
    struct Sample
    {
        double cores = 0;
        double busiest = 0;
        QString busiestName;
    };

    explicit TreeCpu(int root)
        : m_root(root)
        , m_ticksPerSecond(double(sysconf(_SC_CLK_TCK)))
    {
        m_since.start();
        m_last = ticks();
    }

    // Since the previous sample (or since the object was made).
    Sample sample()
    {
        const double seconds = std::max(0.001, double(m_since.restart()) / 1000);
        const QHash<int, std::pair<qint64, QString>> now = ticks();
        Sample s;
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            const qint64 before = m_last.contains(it.key()) ? m_last.value(it.key()).first : 0;
            const double cores = double(it->first - before) / m_ticksPerSecond / seconds;
            s.cores += cores;
            if (cores > s.busiest) {
                s.busiest = cores;
                s.busiestName = it->second;
            }
        }
        m_last = now;
        return s;
    }

private:
    // utime + stime and the command name of every process of the tree.
    QHash<int, std::pair<qint64, QString>> ticks() const
    {
        QHash<int, std::pair<qint64, QString>> out;
        for (const int pid : processTree(m_root)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            const qsizetype open = text.indexOf('('), close = text.lastIndexOf(')');
            const QList<QByteArray> fields = text.mid(close + 2).split(' ');
            if (fields.size() > 12)
                out.insert(pid, {fields.at(11).toLongLong() + fields.at(12).toLongLong(),
                                 QString::fromLocal8Bit(text.mid(open + 1, close - open - 1))});
        }
        return out;
    }

    int m_root;
    double m_ticksPerSecond;
    QElapsedTimer m_since;
    QHash<int, std::pair<qint64, QString>> m_last;
};
