#include "download/listing/listing_run.h"

#include "download/listing/vips_pictures.h"

#include <QDir>
#include <QThread>

#include <sys/resource.h>
#include <unistd.h>

#include <utility>

namespace {

// The pool's threads give way to the thread that owns the run (the window's):
// on Linux the nice value is each thread's own.
void yieldToTheWindow()
{
    thread_local bool lowered = false;
    if (!std::exchange(lowered, true))
        setpriority(PRIO_PROCESS, id_t(gettid()), 10);
}

} // namespace

ListingRun::ListingRun(QObject *parent)
    : ListingRun([] { return std::make_unique<VipsPictures>(); }, QThread::idealThreadCount(), parent)
{
    // Started here rather than on a worker: the first item need not wait for it.
    VipsPictures::initialise();
}

ListingRun::ListingRun(MakerFactory makers, int threads, QObject *parent)
    : QObject(parent)
    , m_makers(std::move(makers))
    , m_stop(std::make_shared<std::atomic_bool>(false))
{
    m_pool.setMaxThreadCount(std::max(1, threads));
}

ListingRun::~ListingRun()
{
    cancel();
    m_pool.clear();
    // Not long: every item under way looks at its stop flag between slices.
    m_pool.waitForDone();
}

int ListingRun::add(const QList<DownloadedLine> &lines, const ListingOptions &options)
{
    int queued = 0;
    for (const DownloadedLine &line : lines) {
        const QString key = QDir::cleanPath(line.folder);
        if (!line.folder.isEmpty() && m_underWay.contains(key))
            continue;
        m_underWay.insert(key);
        ++queued;
        ++m_total;
        m_pool.start([this, line, options, key, stop = m_stop] {
            yieldToTheWindow();
            ListingOutcome outcome;
            outcome.line = line;
            outcome.state = ListingOutcome::State::Stopped;
            // Items still queued when cancelled only say so.
            if (!*stop) {
                const std::unique_ptr<PictureMaker> maker = m_makers();
                outcome = makeListing(line, options, *maker, *stop);
            }
            QMetaObject::invokeMethod(this, [this, outcome, key] { finishItem(outcome, key); }, Qt::QueuedConnection);
        });
    }
    if (queued > 0)
        emit progressed(m_done, m_total);
    return queued;
}

void ListingRun::cancel()
{
    m_stop->store(true);
    m_stop = std::make_shared<std::atomic_bool>(false);
}

void ListingRun::finishItem(const ListingOutcome &outcome, const QString &key)
{
    m_underWay.remove(key);
    ++m_done;
    switch (outcome.state) {
    case ListingOutcome::State::Made:
        ++m_tally.made;
        if (!outcome.skipped.isEmpty() || !outcome.overLimit.isEmpty())
            ++m_tally.withNotes;
        break;
    case ListingOutcome::State::Failed:
        ++m_tally.failed;
        break;
    case ListingOutcome::State::Stopped:
        ++m_tally.stopped;
        break;
    }
    emit itemFinished(outcome);
    emit progressed(m_done, m_total);
    if (m_done < m_total)
        return;
    const ListingTally tally = m_tally;
    m_tally = {};
    m_done = m_total = 0;
    emit finished(tally);
}
