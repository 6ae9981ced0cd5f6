#pragma once

#include "platform/desktop.h"

class QWidget;

// The desktop's own folder dialog, modal over the owner window.
class DialogFolderPicker : public FolderPicker
{
public:
    explicit DialogFolderPicker(QWidget *owner = nullptr) : m_owner(owner) {}
    QString BrowseForFolder(const QString &title, const QString &initialFolder) override;

private:
    QWidget *m_owner;
};

// QInputDialog, modal over the owner window.
class DialogTextAsker : public TextAsker
{
public:
    explicit DialogTextAsker(QWidget *owner = nullptr) : m_owner(owner) {}
    QString askText(const QString &prompt, const QString &title, const QString &preset) override;

private:
    QWidget *m_owner;
};

// QDesktopServices: the user's file manager and web browser, never a shell command line.
class DesktopOpener : public Opener
{
public:
    bool openFolder(const QString &path) override;
    bool openAddress(const QString &address) override;
};
