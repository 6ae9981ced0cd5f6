#pragma once

#include <QString>

#include <optional>

class FolderPicker;
class Opener;
class StatusLog;

// Where the output folder of the item download is kept: the program's
// settings, handed in by whoever puts the program together.
class SaveFolderSetting
{
public:
    virtual ~SaveFolderSetting() = default;
    // Empty when none was chosen.
    virtual QString saveFolder() const = 0;
    // False, with the reason, when it could not be stored.
    virtual bool setSaveFolder(const QString &folder, QString *errorText = nullptr) = 0;
};

// The output folder of the item download: chosen by the user, kept in the
// settings, and shown in the file manager on request.
class SaveFolder
{
public:
    SaveFolder(SaveFolderSetting &setting, StatusLog &log, FolderPicker &picker, Opener &opener);

    void SetSavePathCmd_Click() { ChooseSaveFolder(); }
    void OpenSavePathCmd_Click();
    void ChooseSaveFolder();

    // Where the program's choosers start: the save folder, else the user's
    // pictures folder, else home (folders that exist).
    static QString startFolder(const SaveFolderSetting &setting);
    // Why the folder cannot be the save folder (in Chinese); nothing when it can.
    // Its path goes into every downloaded line, whose fields "|" separates.
    static std::optional<QString> refusal(const QString &folder);

private:
    SaveFolderSetting &m_setting;
    StatusLog &m_log;
    FolderPicker &m_picker;
    Opener &m_opener;
};
