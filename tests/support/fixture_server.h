#pragma once

#include "platform/local_web_server.h"

// The tests' marketplace is the program's own local web server.
using FixtureServer = LocalWebServer;
