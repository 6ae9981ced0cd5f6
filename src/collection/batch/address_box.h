#pragma once

#include <QString>

class ListStore;

// Back into the address box as the user would type it ("address|itemNo"),
// or the line as it was when it has no address; on a line of its own.
void giveBackToAddressBox(ListStore &lists, const QString &line, const QString &itemNo, const QString &address);
