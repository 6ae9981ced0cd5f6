#include "download/staged_folder.h"

#include "download/unique_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString StagingPrefix = QStringLiteral(".下载中-");

// Names staged by this process and not committed or dropped yet.
QSet<QString> &claimed()
{
    static QSet<QString> names;
    return names;
}

// Staging folders this process writes into.
QSet<QString> &staging()
{
    static QSet<QString> paths;
    return paths;
}

bool renameBetween(const QString &from, const QString &to, unsigned flags)
{
    return ::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, QFile::encodeName(to).constData(),
                       flags) == 0;
}

QString candidate(const QString &wanted, int n)
{
    return n == 0 ? wanted : wanted + QString::number(n);
}

} // namespace

StagedFolder::~StagedFolder()
{
    drop();
}

bool StagedFolder::isStagingName(const QString &name)
{
    return name.startsWith(StagingPrefix);
}

bool StagedFolder::stage(const QString &wanted, const IsOrphanCopy &isOrphanCopy, QString *errorText)
{
    drop();
    m_wanted = wanted;
    for (int n = 0;; ++n) {
        const QString name = candidate(wanted, n);
        if (claimed().contains(name))
            continue;
        if (QFileInfo::exists(name)) {
            if (!isOrphanCopy || !QFileInfo(name).isDir() || !isOrphanCopy(name))
                continue;
            m_replaces = true;
        }
        m_final = name;
        break;
    }
    static int serial = 0;
    const QString parent = QFileInfo(wanted).path();
    m_staging = QDir(parent).filePath(StagingPrefix + QString::number(::getpid()) + QLatin1Char('-') + QString::number(++serial));
    // mkdir(2) directly: QDir::mkdir does not say why it failed.
    if (::mkdir(QFile::encodeName(m_staging).constData(), 0777) != 0) {
        if (errorText)
            *errorText = folderFailure(errno);
        m_staging.clear();
        m_final.clear();
        m_replaces = false;
        return false;
    }
    claimed().insert(m_final);
    staging().insert(m_staging);
    m_holdsClaim = true;
    return true;
}

bool StagedFolder::commit(QString *errorText)
{
    if (m_staging.isEmpty())
        return false;
    if (m_replaces) {
        // One step: the name never stands empty, and the orphan ends up under
        // the staging name, removed below (or at the next start).
        if (renameBetween(m_staging, m_final, RENAME_EXCHANGE)) {
            QDir(m_staging).removeRecursively();
            release();
            return true;
        }
        m_replaces = false; // a file system without exchange: the name is passed instead
    }
    for (int n = 0;; ++n) {
        const QString name = n == 0 ? m_final : candidate(m_wanted, n);
        if (n > 0 && (claimed().contains(name) || QFileInfo::exists(name)))
            continue;
        if (renameBetween(m_staging, name, RENAME_NOREPLACE)) {
            release();
            m_final = name;
            return true;
        }
        // Another program took the name meanwhile: the next free one.
        if (errno != EEXIST && errno != ENOTEMPTY) {
            if (errorText)
                *errorText = folderFailure(errno);
            return false;
        }
    }
}

void StagedFolder::drop()
{
    if (!m_staging.isEmpty())
        QDir(m_staging).removeRecursively();
    release();
}

void StagedFolder::release()
{
    if (m_holdsClaim)
        claimed().remove(m_final);
    staging().remove(m_staging);
    m_staging.clear();
    m_holdsClaim = false;
    m_replaces = false;
}

int StagedFolder::removeLeftovers(const QString &saveFolder)
{
    if (saveFolder.isEmpty())
        return 0;
    int removed = 0;
    const QStringList names = QDir(saveFolder).entryList({StagingPrefix + QLatin1Char('*')},
                                                         QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        bool number = false;
        const pid_t pid = name.mid(StagingPrefix.size()).section(QLatin1Char('-'), 0, 0).toInt(&number);
        const QString path = QDir(saveFolder).filePath(name);
        // This process's own, and another program's still writing into it, stay.
        if (staging().contains(path)
            || (number && pid > 0 && pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM)))
            continue;
        if (QDir(path).removeRecursively())
            ++removed;
    }
    return removed;
}
