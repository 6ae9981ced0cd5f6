#pragma once

#include "download/listing/listing_job.h"
#include "download/listing/listing_options.h"
#include "download/listing/picture_maker.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

// How the items of a run came out, counted from the moment the queue was
// last empty.
struct ListingTally
{
    int made = 0;
    int failed = 0;
    int stopped = 0;
    int withNotes = 0; // made, but with pictures left out or files over the limit
};

// 上架图 made for queued items on a thread pool of its own, beside the
// caller's thread: each item is one task (makeListing), and what it came to
// comes back as a signal on the thread that owns this object. Items may be
// added while others are under way.
class ListingRun : public QObject
{
    Q_OBJECT
public:
    using MakerFactory = std::function<std::unique_ptr<PictureMaker>()>;

    // libvips, on as many threads as the machine has cores.
    explicit ListingRun(QObject *parent = nullptr);
    ListingRun(MakerFactory makers, int threads, QObject *parent = nullptr);
    // Cancels, and waits for the items under way, which stop at their next
    // picture or slice.
    ~ListingRun() override;

    // Queues the items with these options. An item whose folder is queued or
    // under way already is passed over: the count is of those queued.
    int add(const QList<DownloadedLine> &lines, const ListingOptions &options);
    // Everything queued and under way stops; no item is left half made.
    void cancel();
    bool isRunning() const { return m_done < m_total; }
    int threads() const { return m_pool.maxThreadCount(); }

signals:
    // Items finished so far of all queued since the queue was last empty.
    void progressed(int done, int total);
    void itemFinished(const ListingOutcome &outcome);
    // The queue ran dry.
    void finished(const ListingTally &tally);

private:
    void finishItem(const ListingOutcome &outcome, const QString &key);

    MakerFactory m_makers;
    QThreadPool m_pool;
    std::shared_ptr<std::atomic_bool> m_stop;
    QSet<QString> m_underWay; // item folders, queued or being made
    ListingTally m_tally;
    int m_done = 0;
    int m_total = 0;
};
