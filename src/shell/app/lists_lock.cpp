#include "shell/app/lists_lock.h"

#include "collection/batch/batch_cycle.h"
#include "lists/list_file.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTimer>

ListsLock::ListsLock(const QString &programFolder)
    : m_lock(QDir(programFolder).filePath(QStringLiteral("listdata.txt.lock")))
{
    // A lock is stale only when its process is gone, however long it was held.
    m_lock.setStaleLockTime(0);
}

ListsLock::State ListsLock::acquire()
{
    if (m_state == State::Owner)
        return m_state;
    if (m_lock.tryLock(0))
        m_state = State::Owner;
    else
        m_state = m_lock.error() == QLockFile::LockFailedError ? State::HeldElsewhere : State::Unavailable;
    return m_state;
}

std::optional<ListsLock::Holder> ListsLock::holder() const
{
    Holder h;
    if (m_state != State::HeldElsewhere || !m_lock.getLockInfo(&h.pid, &h.host, &h.program))
        return std::nullopt;
    return h;
}

ListsLock::State ListsLock::waitWhileRunnerHolds(int seconds)
{
    const QDeadlineTimer deadline(qint64(seconds) * 1000);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [this, &deadline] {
        const std::optional<Holder> h = acquire() == State::HeldElsewhere ? holder() : std::nullopt;
        if (m_state != State::HeldElsewhere || (h && h->isWindow()) || deadline.hasExpired())
            QCoreApplication::exit(0);
    });
    poll.start(PollMs);
    QCoreApplication::exec();
    return m_state;
}

void ListsLock::guard(ListFile &listFile, BatchCycle &batch) const
{
    if (mayWriteLists())
        return;
    listFile.setReadOnly(true);
    batch.refuseStarts(startRefusedNotice());
}

QString ListsLock::startRefusedNotice()
{
    return QStringLiteral("列表只读,本窗口不能启动采集:另一个已打开的本程序窗口正在采集同一程序目录的下载列表。");
}

QString ListsLock::runnerRefusedNotice(const QString &programFolder)
{
    return QStringLiteral("另一个本程序的窗口或批量采集程序正在使用程序目录 ") + programFolder
        + QStringLiteral(" 的下载列表,两个程序不能同时采集同一列表。请先关闭它,或用 --program-folder 指定另一个程序目录。");
}
