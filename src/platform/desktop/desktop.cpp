#include "platform/desktop/desktop.h"

#include <QFileInfo>

std::optional<QString> openFolderOrSayWhy(Opener &opener, const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("打开目录失败,原因:目录不存在:") + folder;
    if (!opener.openFolder(folder))
        return QStringLiteral("打开目录失败,原因:系统没有可用的文件管理器:") + folder;
    return std::nullopt;
}
