#pragma once

#include "platform/desktop/desktop.h"

class QWidget;

// Qt's own file dialog (in the program's language, whatever the desktop's),
// modal over the owner window; the save dialog is shown without waiting.
class DialogFolderPicker : public FolderPicker
{
public:
    explicit DialogFolderPicker(QWidget *owner = nullptr) : m_owner(owner) {}
    QString BrowseForFolder(const QString &title, const QString &initialFolder) override;
    QStringList chooseFiles(const QString &title, const QString &initialFolder, bool multiple) override;
    void chooseSaveFile(const QString &title, const QString &suggestedPath, const QString &filter,
                        std::function<void(const QString &path)> done) override;

private:
    QWidget *m_owner;
};

// QDesktopServices: the user's file manager and web browser, never a shell command line.
class DesktopOpener : public Opener
{
public:
    bool openFolder(const QString &path) override;
    bool openAddress(const QString &address) override;
    bool openFile(const QString &path) override;
};
