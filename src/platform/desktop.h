#pragma once

#include <QString>

// The desktop's folder chooser, behind a seam that tests can answer.
class FolderPicker
{
public:
    virtual ~FolderPicker() = default;
    // The chosen folder, or an empty string when the user cancelled.
    virtual QString BrowseForFolder(const QString &title, const QString &initialFolder) = 0;
};

// Shows a folder in the file manager or an address in the web browser.
class Opener
{
public:
    virtual ~Opener() = default;
    virtual bool openFolder(const QString &path) = 0;
    virtual bool openAddress(const QString &address) = 0;
};

