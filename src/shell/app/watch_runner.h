#pragma once

#include <QCommandLineOption>
#include <QString>

#include <functional>
#include <optional>

class QCommandLineParser;
class Settings;
class StatusLog;

// The runner's options for 店铺上新: the watched shops' list, the check and
// its schedule. The check itself runs in the runner's main with the core.
class WatchRunnerOptions
{
public:
    // Exit codes of their own, after the runner's others.
    static constexpr int ScheduleByWindowOnly = 8;
    static constexpr int NoShopRead = 9;

    WatchRunnerOptions();
    void addTo(QCommandLineParser &parser) const;

    bool asksForCheck(const QCommandLineParser &parser) const;
    bool asksForSchedule(const QCommandLineParser &parser) const;
    // --watch-add, --watch-remove, --watch-list: done at once. The exit code,
    // or nothing when none of them was given.
    std::optional<int> runListCommand(const QCommandLineParser &parser, const QString &programFolder) const;
    // --watch-schedule daily HH:MM|off: `exit` gets the exit code once the
    // timer units are in place (or removed); 1 for a value it cannot read.
    void runSchedule(const QCommandLineParser &parser, const QString &programFolder, Settings &settings,
                     StatusLog &log, std::function<void(int)> exit) const;

private:
    QCommandLineOption m_add;
    QCommandLineOption m_withExisting;
    QCommandLineOption m_remove;
    QCommandLineOption m_list;
    QCommandLineOption m_check;
    QCommandLineOption m_schedule;
};
