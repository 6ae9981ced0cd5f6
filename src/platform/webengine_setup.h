#pragma once

#include <string>
#include <vector>

// Environment WebEngine needs before the application starts: no sandbox when
// running as root (Chromium refuses otherwise) and the offscreen platform when
// there is no display.
void prepareWebEngineEnvironment();

// The program's argv with the Chromium flags appended after "--webEngineArgs".
// Flags go to argv rather than QTWEBENGINE_CHROMIUM_FLAGS because that variable
// is split at blanks, and when it is set at all Chromium ignores argv.
std::vector<std::string> webEngineArguments(int argc, char **argv,
                                            const std::vector<std::string> &extraFlags = {});

// Test binaries: the program name, and every marketplace host mapped to a local port.
std::vector<std::string> webEngineTestArguments(const char *argv0, int port);
