#include "shell/app/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString programFolder()
{
    return programFolderFor(QCoreApplication::applicationDirPath());
}

QString userDataFolder()
{
    // One folder for the window and the headless runner alike, whatever
    // their application names.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("zorvane-picker"));
}

QString programFolderFor(const QString &executableFolder)
{
    const QFileInfo info(executableFolder);
    // An installed program's data lies in ../share: its executable's folder is
    // the system's (even when root may write there), not a portable folder.
    const bool installed = QFileInfo(QDir(executableFolder).filePath(QStringLiteral("../share/zorvane-picker"))).isDir();
    if (!installed && info.isDir() && info.isWritable())
        return info.absoluteFilePath();
    const QString data = userDataFolder();
    QDir().mkpath(data);
    return data;
}
