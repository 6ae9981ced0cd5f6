#pragma once

#include <QString>

class ListStore;
class StatusLog;

// listdata.txt: the three lists under their tag lines, GB18030 with CR LF.
class ListFile
{
public:
    ListFile(ListStore &lists, StatusLog &log, const QString &path);

    QString path() const;

    // Writes the lists as they are now, through a temporary file: a failed save
    // is logged with its reason and leaves the previous file as it was.
    bool SaveLists();

    // Adds the file's entries to the lists (meant for start-up, when they are
    // empty); false when the file cannot be opened.
    bool LoadLists();

private:
    ListStore &m_lists;
    StatusLog &m_log;
    QString m_path;
};
