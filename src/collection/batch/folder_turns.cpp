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

bool FolderTurns::mayMakeFolder(const QString &mine, const QList<std::optional<QString>> &earlier, bool passUnknown)
{
    for (const std::optional<QString> &other : earlier) {
        if (!other ? !passUnknown : mayMeet(*other, mine))
            return false;
    }
    return true;
}
