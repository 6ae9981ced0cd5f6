#pragma once

#include <QString>

class DownloadedSearch;
class ListFile;
class ListStore;
class Opener;
class StatusLog;

// The commands on the downloaded list: delete, collect again, open the item's
// page or folder. Every change of the list is followed by the search refresh
// and a save.
class DownloadedCommands
{
public:
    DownloadedCommands(ListStore &lists, ListFile &listFile, DownloadedSearch &search, StatusLog &log,
                       Opener &opener);

    // "删除X" beside the downloaded list.
    void DelCmd_Click();
    // "<<重下": the selected items go back to the end of the pending list, selected there.
    void RePickCmd_Click();
    // "打开网址": only http and https addresses are handed to the desktop.
    void OpenWebCmd_Click();
    // A click on the entry at `current` logs it.
    void AlreadyDownedList_Click(int current);
    // A double-click opens the entry's folder, when it exists.
    void AlreadyDownedList_DblClick(int current);

private:
    ListStore &m_lists;
    ListFile &m_listFile;
    DownloadedSearch &m_search;
    StatusLog &m_log;
    Opener &m_opener;
};
