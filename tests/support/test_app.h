#pragma once

#include <QtTest/QTest>

#include <functional>

#include "fixture_server.h"

// The fixture server that web test binaries start before the application, so
// that Chromium's host mapping can send the marketplace's hosts to it.
// Only available in binaries built with the web main.
FixtureServer &sharedServer();

// Processes events until the predicate holds or the bound passes.
inline bool waitUntil(const std::function<bool()> &predicate, int timeoutMs = 30000)
{
    return QTest::qWaitFor(predicate, timeoutMs);
}
