#pragma once

#include <QString>

#include <functional>
#include <optional>

class ListsLock;
class QCommandLineParser;
class Settings;
class StatusLog;

// What the runner does with its 店铺上新 options (the command-line table
// names them): the watched shops' list and the schedule. The check itself
// runs in the runner's main with the core.
class WatchRunnerOptions
{
public:
    bool asksForCheck(const QCommandLineParser &parser) const;
    bool asksForSchedule(const QCommandLineParser &parser) const;
    // --watch-add, --watch-remove, --watch-list: done at once. The exit code,
    // or nothing when none of them was given.
    std::optional<int> runListCommand(const QCommandLineParser &parser, const QString &programFolder) const;
    // --watch-schedule daily HH:MM|off: `exit` gets the exit code once the
    // timer units are in place (or removed); 1 for a value it cannot read.
    // The demo's folder never gets units of the user's desktop.
    void runSchedule(const QCommandLineParser &parser, const QString &programFolder, bool demo, Settings &settings,
                     StatusLog &log, std::function<void(int)> exit) const;

    // --watch, finding the lists' lock held: a window keeping the lists gets
    // the check; another runner is waited for, up to WatchLockWaitMinutes.
    // The exit code when the runner ends here, nothing when the lock is now its own.
    std::optional<int> waitForLists(ListsLock &lock, const QCommandLineParser &parser, const QString &programFolder) const;
};
