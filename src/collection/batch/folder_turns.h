#pragma once

#include <QList>
#include <QString>

#include <optional>

// Items saved by several collectors at once make their folders in the order
// they were taken wherever their titles could give the same folder name (one
// is the other with digits after it), so that each gets the name one
// collector would give it: T, T and T1 make T, T1 and T11. An item whose title
// is not known yet may still want any name; one whose page has not loaded long
// after, a dead page most likely, may be passed.
namespace FolderTurns {

// mine: the folder name of an item ready to be saved; earlier: those of the
// items taken before it and not saved yet (nothing where the title is not
// known). passUnknown: unknown titles do not count.
bool mayMakeFolder(const QString &mine, const QList<std::optional<QString>> &earlier, bool passUnknown);

} // namespace FolderTurns
