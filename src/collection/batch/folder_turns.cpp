#include "collection/batch/folder_turns.h"

void FolderTurns::titleKnown(quint64 ticket, const QString &folderName)
{
    if (m_open.contains(ticket))
        m_open.insert(ticket, folderName);
}

bool FolderTurns::mayMakeFolder(quint64 ticket, bool passUnknown) const
{
    const auto mine = m_open.constFind(ticket);
    if (mine == m_open.cend() || !*mine)
        return true;
    for (auto it = m_open.cbegin(); it != mine; ++it) {
        if (!*it ? !passUnknown : **it == **mine)
            return false;
    }
    return true;
}
