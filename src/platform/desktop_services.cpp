#include "platform/desktop_services.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

QString DialogFolderPicker::BrowseForFolder(const QString &title, const QString &initialFolder)
{
    return QFileDialog::getExistingDirectory(m_owner, title, initialFolder);
}

bool DesktopOpener::openFolder(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopOpener::openAddress(const QString &address)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}
