#pragma once

#include <QIcon>

// The program's own icon, for its windows and the tray (embedded, in the
// sizes the desktop asks for). The installed desktop entry names the same
// icon as "zorvane-picker".
QIcon programIcon();
