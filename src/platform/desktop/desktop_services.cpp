#include "platform/desktop/desktop_services.h"

#include "platform/desktop/file_dialog_texts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

QString DialogFolderPicker::BrowseForFolder(const QString &title, const QString &initialFolder)
{
    QFileDialog dialog(m_owner, title, initialFolder);
    prepareFileDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QStringList DialogFolderPicker::chooseFiles(const QString &title, const QString &initialFolder, bool multiple)
{
    QFileDialog dialog(m_owner, title, initialFolder);
    prepareFileDialog(dialog);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

void DialogFolderPicker::chooseSaveFile(const QString &title, const QString &suggestedPath, const QString &filter,
                                        std::function<void(const QString &)> done)
{
    auto *dialog = new QFileDialog(m_owner, title, suggestedPath, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    prepareFileDialog(*dialog);
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
