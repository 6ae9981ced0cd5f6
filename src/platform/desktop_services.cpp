#include "platform/desktop_services.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
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
    // A name typed without the suggested ending gets it inside the dialog, so
    // that the dialog's own question comes before an existing file is replaced.
    dialog->setDefaultSuffix(QFileInfo(suggestedPath).suffix());
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
