#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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
    // Where a file is to be written, asked without waiting: `done` gets the
    // chosen path, or an empty string when the user cancelled. A typed name
    // gets the suggested file's ending, and the user is asked before an
    // existing file is chosen.
    virtual void chooseSaveFile(const QString &title, const QString &suggestedPath, const QString &filter,
                                std::function<void(const QString &path)> done) = 0;
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

// Shows a folder in the file manager: nothing when it did, else the log line
// that says why not (the folder is gone, or no file manager answers).
std::optional<QString> openFolderOrSayWhy(Opener &opener, const QString &folder);

