#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The requests a page has of its own in flight. The engine reports each
// request as it starts; the page's timeline reports each as it finishes, by
// address only. A finish settles the oldest open start of its address; a
// finish without one (a picture from the page's memory cache) settles nothing.
class RequestLedger
{
public:
    void clear();
    void started(const QString &address, qint64 atMs);
    void finished(const QString &address);

    // The age of every request still open, oldest first.
    QList<qint64> openAges(qint64 nowMs) const;
    int openCount() const { return m_open; }

private:
    // The same address as the engine and the page's timeline write it.
    static QString key(const QString &address);

    QHash<QString, QList<qint64>> m_starts; // per address, oldest first
    int m_open = 0;
};
