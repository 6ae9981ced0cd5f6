#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

// The requests the page's document has of its own in flight. The engine
// reports each request as it starts, also every hop of a redirect and what
// frames, workers and the previous document send; the page's timeline reports
// each request of the document and of its same-origin frames as it ends,
// under the address it was asked for. A start belongs to the document when
// the document could report its end: what is left over never ends here and
// must not hold the page. Times are milliseconds since the epoch, as both
// the engine and the page read them.
class RequestLedger
{
public:
    // What a request fetches, as far as the engine and the timeline tell it.
    enum class Kind { Fetch, Script, Picture, Style, Any };
    struct Finish
    {
        QString address; // as first asked for, before any redirect
        Kind kind = Kind::Any;
        qint64 startMs = 0;      // the first hop started
        qint64 fetchStartMs = 0; // the last hop started (the start when not told)
        qint64 endMs = 0;
        bool redirectSeen = false; // same-origin hops, which the timeline shows
    };
    // How much later than the page the engine may see a hop start.
    static constexpr qint64 SlackMs = 100;
    // A request the page has not reported this long after its start is one it
    // cannot report (a worker's, say); its address stops counting until the
    // page reports it once.
    void setUnreportedAfter(qint64 ms) { m_unreportedMs = ms; }

    void clear();
    void started(const QString &address, Kind kind, qint64 atMs);
    void finished(const Finish &finish);
    // The document the page holds was made then: what was started before is
    // an earlier document's, whose ends this one never reports.
    void documentMade(qint64 atMs);

    // The age of every request still open, oldest first.
    QList<qint64> openAges(qint64 nowMs);
    int openCount() const { return int(m_open.size()); }

private:
    struct Start
    {
        QString key;
        QString origin;
        Kind kind;
        qint64 atMs;
    };
    // The hops that the end of a redirect chain settles with it.
    void settleHops(const Finish &finish, const QString &key, qint64 firstStartMs);

    QList<Start> m_open; // in the order they started
    QSet<QString> m_unreported;
    qint64 m_unreportedMs = 10000;
};
