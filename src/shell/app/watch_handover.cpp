#include "shell/app/watch_handover.h"

#include "platform/files/text_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

bool WatchHandover::request(const QString &programFolder, QString *error)
{
    return writeLocalTextFile(QDir(programFolder).filePath(fileName()),
                              QDateTime::currentDateTime().toString(Qt::ISODate) + QStringLiteral("\r\n"), error);
}

WatchHandover::WatchHandover(const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_path(QDir(programFolder).filePath(fileName()))
{
    // The file comes by a rename into the folder: the folder changes, not a file watched before.
    m_watcher.addPath(programFolder);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &WatchHandover::takeWaiting);
}

void WatchHandover::takeWaiting()
{
    // Taken once: removing it is what marks it taken.
    if (QFile::exists(m_path) && QFile::remove(m_path))
        emit requested();
}
