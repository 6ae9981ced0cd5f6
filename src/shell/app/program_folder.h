#pragma once

#include <QString>

// The folder of config.ini, listdata.txt, likepage/ and 皮肤/: the folder of the
// executable when it is writable (portable use, the build tree), otherwise the
// per-user data folder, created when missing. An installed program (its data
// in ../share/zorvane-picker beside its executable's folder) always uses the
// per-user data folder.
QString programFolder();

// The same choice for a given executable folder.
QString programFolderFor(const QString &executableFolder);

// The per-user data folder: ~/.local/share/zorvane-picker.
QString userDataFolder();
