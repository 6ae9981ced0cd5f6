#pragma once

#include <QString>

// The folder of config.ini, listdata.txt, likepage/ and 皮肤/: the folder of the
// executable when it is writable (portable use), otherwise the per-user data
// folder, created when missing.
QString programFolder();

// The same choice for a given executable folder.
QString programFolderFor(const QString &executableFolder);
