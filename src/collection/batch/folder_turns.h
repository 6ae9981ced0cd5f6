#pragma once

#include <QMap>
#include <QString>

#include <optional>

// Items saved by several collectors at once make their folders in the order
// they were taken wherever their titles could give the same folder name (one
// is the other with digits after it), so that each gets the name one
// collector would give it: T, T and T1 make T, T1 and T11. An item whose title is not known yet may still want any
// name; one whose page has not loaded long after, a dead page most likely,
// may be passed.
class FolderTurns
{
public:
    void taken(quint64 ticket) { m_open.insert(ticket, std::nullopt); }
    void titleKnown(quint64 ticket, const QString &folderName);
    // Its folder is made, or it ended without one.
    void done(quint64 ticket) { m_open.remove(ticket); }
    // passUnknown: items taken before whose title is not known do not count.
    bool mayMakeFolder(quint64 ticket, bool passUnknown = false) const;

private:
    QMap<quint64, std::optional<QString>> m_open; // by ticket: the name, once known
};
