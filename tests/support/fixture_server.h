#pragma once

#include "platform/net/local_web_server.h"

// The tests' marketplace is the program's own local web server.
using FixtureServer = LocalWebServer;
