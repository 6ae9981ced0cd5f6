#pragma once

// Memory of a process tree (Chromium's helper processes included), read from
// /proc: the proportional set size (PSS, shared pages split between the
// processes that share them) and the plain sum of resident sets (RSS).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QStringList>

// Every process of the tree under `root`, root included.
inline QList<int> processTree(int root)
{
    QList<int> tree{root};
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QHash<int, QList<int>> children;
    for (const QString &entry : entries) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children[fields.at(1).toInt()].append(pid);
    }
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree += children.value(tree.at(i));
    return tree;
}

// kB of one field ("Rss:", "Pss:") of /proc/PID/smaps_rollup.
inline qint64 rollup(int pid, const QByteArray &field)
{
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// kB of the field summed over the tree under `root`.
inline qint64 treeMemory(int root, const QByteArray &field)
{
    qint64 sum = 0;
    for (const int pid : processTree(root))
        sum += rollup(pid, field);
    return sum;
}
