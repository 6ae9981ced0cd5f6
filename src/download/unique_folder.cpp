#include "download/unique_folder.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

QString folderFailure(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("上级目录不存在");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入权限");
    case EROFS:
        return QStringLiteral("磁盘为只读");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间不足");
    case ENAMETOOLONG:
        return QStringLiteral("路径过长");
    case ENOTDIR:
        return QStringLiteral("路径中有同名文件");
    case EFBIG:
        return QStringLiteral("文件超过了系统允许的大小");
    case EIO:
        return QStringLiteral("磁盘读写错误");
    default:
        // The C library's own words are English: the number still tells an engineer.
        return QStringLiteral("系统错误(错误号%1)").arg(error);
    }
}

QString MakeUniqueFolder(const QString &wanted, int start, QString *errorText)
{
    QString candidate = wanted;
    int n = start;
    while (QFileInfo::exists(candidate)) {
        ++n;
        candidate = wanted + QString::number(n);
    }
    // mkdir(2) directly: QDir::mkdir does not say why it failed.
    if (::mkdir(QFile::encodeName(candidate).constData(), 0777) != 0) {
        if (errorText)
            *errorText = folderFailure(errno);
        return QString();
    }
    return candidate;
}

QString fitFolderName(const QString &name)
{
    constexpr qsizetype limit = 255 - 10; // room for an appended number
    QString fitted = name;
    while (QFile::encodeName(fitted).size() > limit) {
        fitted.chop(1);
        if (!fitted.isEmpty() && fitted.back().isHighSurrogate())
            fitted.chop(1);
    }
    return fitted;
}
