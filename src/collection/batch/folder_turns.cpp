#include "collection/batch/folder_turns.h"

namespace {

// Two folder names may end as the same folder: a number is appended to a
// name that is taken, so "T", "T1" and "T12" can meet, "T" and "TX" cannot.
bool mayMeet(const QString &a, const QString &b)
{
    const QString &shorter = a.size() <= b.size() ? a : b;
    const QString &longer = a.size() <= b.size() ? b : a;
    if (!longer.startsWith(shorter))
        return false;
    for (qsizetype i = shorter.size(); i < longer.size(); ++i) {
        if (longer.at(i) < u'0' || longer.at(i) > u'9')
            return false;
    }
    return true;
}

} // namespace

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
        if (!*it ? !passUnknown : mayMeet(**it, **mine))
            return false;
    }
    return true;
}
