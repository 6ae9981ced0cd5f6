#pragma once

class ListFile;
class ListStore;
class StatusLog;

// The commands that move lines between the lists.
class ListCommands
{
public:
    ListCommands(ListStore &lists, ListFile &listFile, StatusLog &log);

    // "加入>>": every line "address|item number" of the input box becomes a
    // pending line "item number|address"; the box is emptied and the lists saved.
    void addUrlCmd_Click();

private:
    ListStore &m_lists;
    ListFile &m_listFile;
    StatusLog &m_log;
};
