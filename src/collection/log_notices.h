#pragma once

#include <QString>

// Whether a status log message tells of a failure or a refusal, the lines a
// user must not miss. Only the program's own words count: what the user or
// a page supplied (an item's line, number, title or address, a folder, a
// keyword) is left out first, so a title such as "不能错过" raises nothing.
bool isFailureNotice(const QString &message);
