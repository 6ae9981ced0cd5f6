#include "platform/desktop_services.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

QString DialogFolderPicker::BrowseForFolder(const QString &title, const QString &initialFolder)
{
    return QFileDialog::getExistingDirectory(m_owner, title, initialFolder,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

QStringList DialogFolderPicker::chooseFiles(const QString &title, const QString &initialFolder, bool multiple)
{
    if (multiple)
        return QFileDialog::getOpenFileNames(m_owner, title, initialFolder, QString(), nullptr,
                                             QFileDialog::DontUseNativeDialog);
    const QString file = QFileDialog::getOpenFileName(m_owner, title, initialFolder, QString(), nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

void DialogFolderPicker::chooseSaveFile(const QString &title, const QString &suggestedPath, const QString &filter,
                                        std::function<void(const QString &)> done)
{
    auto *dialog = new QFileDialog(m_owner, title, suggestedPath, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->selectFile(suggestedPath);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        done(result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString());
    });
    dialog->open();
}

bool DesktopOpener::openFolder(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopOpener::openAddress(const QString &address)
{
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

bool DesktopOpener::openFile(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
