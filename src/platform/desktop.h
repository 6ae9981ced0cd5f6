#pragma once

#include <QString>
#include <QStringList>

// The desktop's folder and file choosers, behind a seam that tests can answer.
class FolderPicker
{
public:
    virtual ~FolderPicker() = default;
    // The chosen folder, or an empty string when the user cancelled.
    virtual QString BrowseForFolder(const QString &title, const QString &initialFolder) = 0;
    // Existing files for a page's file input: one, or several when `multiple`;
    // none when the user cancelled.
    virtual QStringList chooseFiles(const QString &title, const QString &initialFolder, bool multiple) = 0;
};

// Shows a folder in the file manager, a file in the desktop's program for it,
// or an address in the web browser.
class Opener
{
public:
    virtual ~Opener() = default;
    virtual bool openFolder(const QString &path) = 0;
    virtual bool openAddress(const QString &address) = 0;
    // An opener without a desktop behind it opens no file.
    virtual bool openFile(const QString &) { return false; }
};

