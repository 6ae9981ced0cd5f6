#pragma once

#include <QString>

#include <cstdio>

// Writes a line to the terminal in the locale's encoding.
void printLine(FILE *stream, const QString &line);
