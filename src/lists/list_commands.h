#pragma once

#include <QString>

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

    // The same for lines given otherwise (the runner's --add): the box is left
    // as it is; the lists are saved.
    void queueUrlLines(const QString &lines);

private:
    // Each line "address|item number" becomes the pending line "item number|address".
    void queueLines(const QString &text);

    ListStore &m_lists;
    ListFile &m_listFile;
    StatusLog &m_log;
};
