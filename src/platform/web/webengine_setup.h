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

// Every marketplace host mapped to a local port, and their https (443) to
// `tlsPort` when there is one: the value of --host-resolver-rules.
std::string marketplaceHostRule(int port, int tlsPort = 0);
// Test binaries: the program name and the marketplace on local ports.
std::vector<std::string> webEngineTestArguments(const char *argv0, int port, int tlsPort = 0);
