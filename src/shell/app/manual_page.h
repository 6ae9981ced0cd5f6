#pragma once

#include "shell/app/command_line.h"

#include <QString>

// The program's manual page (man(7) markup, UTF-8) from the command line's
// table: name, synopsis, description, options, exit status, files,
// environment, examples.
QString manualPage(CommandLine::Program program, const QString &version, const QString &date);
