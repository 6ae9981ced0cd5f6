#include "download/listing/listing_folder.h"

#include "download/unique_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString HiddenPrefix = QStringLiteral(".上架图-");

// The item folder's own words where they say more; the common ones otherwise.
QString failure(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限(宝贝目录只读)");
    case ENOENT:
        return QStringLiteral("宝贝目录不存在");
    default:
        return folderFailure(error);
    }
}

bool fail(QString *errorText, const QString &what, int error)
{
    if (errorText)
        *errorText = what + QStringLiteral(",原因:") + failure(error);
    return false;
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

ListingFolder::ListingFolder(const QString &itemFolder)
    : m_item(itemFolder)
{
}

ListingFolder::~ListingFolder()
{
    if (!m_hidden.isEmpty() && !m_committed)
        QDir(m_hidden).removeRecursively();
}

QString ListingFolder::path() const
{
    return QDir(m_item).filePath(name());
}

bool ListingFolder::open(QString *errorText)
{
    const QDir item(m_item);
    for (const QString &left : item.entryList({HiddenPrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        QDir(item.filePath(left)).removeRecursively();
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString hidden = item.filePath(HiddenPrefix + QString::number(QRandomGenerator::global()->generate(), 36));
        if (::mkdir(native(hidden).constData(), 0777) == 0) {
            m_hidden = hidden;
            return true;
        }
        if (errno != EEXIST)
            return fail(errorText, QStringLiteral("无法在宝贝目录中建立上架图"), errno);
    }
    return fail(errorText, QStringLiteral("无法在宝贝目录中建立上架图"), EEXIST);
}

bool ListingFolder::write(const QString &fileName, const QByteArray &bytes, QString *errorText)
{
    const QString what = QStringLiteral("无法写入") + fileName;
    // POSIX calls: Qt's file classes do not say why a write failed.
    const int fd = ::open(native(QDir(m_hidden).filePath(fileName)).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail(errorText, what, errno);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return fail(errorText, what, error);
        }
        done += n;
    }
    if (::close(fd) != 0)
        return fail(errorText, what, errno);
    return true;
}

void ListingFolder::remove(const QString &fileName)
{
    QFile::remove(QDir(m_hidden).filePath(fileName));
}

bool ListingFolder::commit(QString *errorText)
{
    const QString target = path();
    const QFileInfo existing(target);
    const QString what = QStringLiteral("无法替换") + name();
    if (existing.exists() && !existing.isDir()) {
        if (errorText)
            *errorText = what + QStringLiteral(",原因:宝贝目录中已有名为“上架图”的文件");
        return false;
    }
    if (!existing.exists()) {
        if (::rename(native(m_hidden).constData(), native(target).constData()) != 0)
            return fail(errorText, what, errno);
        m_committed = true;
        return true;
    }
    // Both names stay taken throughout: 上架图 is the old folder or the new one, never missing.
    if (::renameat2(AT_FDCWD, native(m_hidden).constData(), AT_FDCWD, native(target).constData(), RENAME_EXCHANGE)
        == 0) {
        m_committed = true;
        QDir(m_hidden).removeRecursively();
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS)
        return fail(errorText, what, errno);
    // A file system without the exchange: the old folder steps aside first.
    const QString old = m_hidden + QStringLiteral("-旧");
    if (::rename(native(target).constData(), native(old).constData()) != 0)
        return fail(errorText, what, errno);
    if (::rename(native(m_hidden).constData(), native(target).constData()) != 0) {
        const int error = errno;
        ::rename(native(old).constData(), native(target).constData());
        return fail(errorText, what, error);
    }
    m_committed = true;
    QDir(old).removeRecursively();
    return true;
}
