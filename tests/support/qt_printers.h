#pragma once

#include <QString>

#include <ostream>

// Readable QString values in GoogleTest failure messages (lists of them too).
// Every test source gets this header first (see CMakeLists.txt).
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// Table rows print as their name.
#define ZORVANE_PRINT_AS_NAME(Case) \
    inline void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }
