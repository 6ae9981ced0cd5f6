#pragma once

#include <QString>

class FolderPicker;
class Opener;
class Settings;
class StatusLog;

// The output folder of the item download: chosen by the user, kept in
// config.ini under PicOutPutPath, and shown in the file manager on request.
class SaveFolder
{
public:
    SaveFolder(Settings &settings, StatusLog &log, FolderPicker &picker, Opener &opener);

    void SetSavePathCmd_Click() { ChooseSaveFolder(); }
    void OpenSavePathCmd_Click();
    void ChooseSaveFolder();

    // Where the program's choosers start: the save folder, else the user's
    // pictures folder, else home (folders that exist).
    static QString startFolder(const Settings &settings);

private:
    Settings &m_settings;
    StatusLog &m_log;
    FolderPicker &m_picker;
    Opener &m_opener;
};
