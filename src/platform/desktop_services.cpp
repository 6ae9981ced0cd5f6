#include "platform/desktop_services.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QUrl>

QString DialogFolderPicker::BrowseForFolder(const QString &title, const QString &initialFolder)
{
    return QFileDialog::getExistingDirectory(m_owner, title, initialFolder);
}

QString DialogTextAsker::askText(const QString &prompt, const QString &title, const QString &preset)
{
    return QInputDialog::getText(m_owner, title, prompt, QLineEdit::Normal, preset);
}

bool DesktopOpener::openFolder(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopOpener::openAddress(const QString &address)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}
