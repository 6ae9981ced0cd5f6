#include "shell/app/watch_runner.h"

#include "platform/desktop/systemd_user_timer.h"
#include "platform/desktop/terminal.h"
#include "shell/app/command_line.h"
#include "shell/app/lists_lock.h"
#include "shell/app/watch_handover.h"
#include "shell/watch_schedule.h"
#include "shop/watch_list.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

namespace {

const QString Add = QStringLiteral("watch-add");
const QString WithExisting = QStringLiteral("with-existing");
const QString Remove = QStringLiteral("watch-remove");
const QString List = QStringLiteral("watch-list");
const QString Check = QStringLiteral("watch");
const QString Schedule = QStringLiteral("watch-schedule");
const QString LockWait = QStringLiteral("lock-wait");

QString waitText(int seconds)
{
    return seconds % 60 == 0 ? QStringLiteral("%1分钟").arg(seconds / 60) : QStringLiteral("%1秒").arg(seconds);
}

} // namespace

bool WatchRunnerOptions::asksForCheck(const QCommandLineParser &parser) const
{
    return parser.isSet(Check);
}

bool WatchRunnerOptions::asksForSchedule(const QCommandLineParser &parser) const
{
    return parser.isSet(Schedule);
}

std::optional<int> WatchRunnerOptions::runListCommand(const QCommandLineParser &parser, const QString &programFolder) const
{
    WatchList watched(programFolder);
    QString message;
    if (parser.isSet(Add)) {
        const WatchList::Change change =
            watched.add(parser.value(Add), parser.isSet(WithExisting), QDateTime::currentDateTime(), &message);
        printLine(change == WatchList::Change::Done || change == WatchList::Change::AlreadyThere ? stdout : stderr, message);
        return change == WatchList::Change::Done || change == WatchList::Change::AlreadyThere ? 0 : 1;
    }
    if (parser.isSet(Remove)) {
        const WatchList::Change change = watched.remove(parser.value(Remove), &message);
        printLine(change == WatchList::Change::Done ? stdout : stderr, message);
        return change == WatchList::Change::Done ? 0 : 1;
    }
    if (!parser.isSet(List))
        return std::nullopt;
    const auto when = [](const QDateTime &t) { return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("未检查"); };
    for (const WatchedShop &s : watched.shops()) {
        printLine(stdout, QStringList{s.name, s.address, QStringLiteral("加入:") + when(s.added),
                                      QStringLiteral("上次检查:") + when(s.lastCheck),
                                      QStringLiteral("宝贝:%1").arg(s.items.size()), QStringLiteral("新宝贝:%1").arg(s.lastNew),
                                      QStringLiteral("下架:%1").arg(s.lastGone),
                                      s.lastFailure.isEmpty() ? QStringLiteral("正常") : QStringLiteral("无法读取:") + s.lastFailure}
                              .join(QLatin1Char('\t')));
    }
    return 0;
}

void WatchRunnerOptions::runSchedule(const QCommandLineParser &parser, const QString &programFolder, bool demo,
                                     Settings &settings, StatusLog &log, std::function<void(int)> exit) const
{
    // "daily 09:00" as one value, or "daily" with the time after it.
    QStringList words = parser.value(Schedule).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() == 1 && words.first() == u"daily" && !parser.positionalArguments().isEmpty())
        words << parser.positionalArguments().first();
    const QTime time = words.size() == 2 ? QTime::fromString(words.at(1), QStringLiteral("H:mm")) : QTime();
    const bool off = words == QStringList{QStringLiteral("off")};
    if (!off && (words.value(0) != u"daily" || !time.isValid())) {
        printLine(stderr, QStringLiteral("--watch-schedule 的值应为 daily HH:MM 或 off,例如 --watch-schedule daily 09:00"));
        exit(1);
        return;
    }
    DesktopSchedule *desktop = nullptr;
    if (demo) {
        static NoDesktopSchedule none(QStringLiteral("演示模式不使用系统定时器"));
        desktop = &none;
    } else {
        desktop = new SystemdUserTimer(SystemdUserTimer::defaultUnitFolder(), programFolder,
                                       {QCoreApplication::applicationFilePath(), QStringLiteral("--program-folder"),
                                        programFolder, QStringLiteral("--watch")},
                                       QCoreApplication::instance());
    }
    auto *schedule = new WatchSchedule(settings, *desktop, log, QCoreApplication::instance());
    if (off) {
        schedule->turnOff([exit](bool ok) { exit(ok ? 0 : 1); });
        return;
    }
    schedule->setDaily(time, [exit](WatchSchedule::Keeper keeper) {
        exit(keeper == WatchSchedule::Keeper::Desktop ? 0 : CommandLine::ExitCode::ScheduleByWindowOnly);
    });
}

std::optional<int> WatchRunnerOptions::waitForLists(ListsLock &lock, const QCommandLineParser &parser,
                                                    const QString &programFolder) const
{
    std::optional<ListsLock::Holder> holder = lock.holder();
    if (!holder || !holder->isWindow()) {
        // A manual run, say: the day's check waits for it rather than vanish.
        bool number = false;
        const int given = parser.value(LockWait).toInt(&number);
        const int seconds = parser.isSet(LockWait) && number && given >= 0 ? given : CommandLine::WatchLockWaitMinutes * 60;
        const QString who = holder ? QStringLiteral("(进程%1,主机%2)").arg(holder->pid).arg(holder->host) : QString();
        printLine(stdout, QStringLiteral("另一个本程序%1正在使用下载列表,店铺上新检查等它结束,最多等%2")
                              .arg(who, waitText(seconds)));
        if (lock.waitWhileRunnerHolds(seconds) != ListsLock::State::HeldElsewhere)
            return std::nullopt;
        holder = lock.holder();
        if (!holder || !holder->isWindow()) {
            printLine(stderr, QStringLiteral("等了%1,另一个本程序仍在使用下载列表,本次店铺上新检查没有进行。")
                                      .arg(waitText(seconds))
                                  + ListsLock::runnerRefusedNotice(programFolder));
            return CommandLine::ExitCode::ListsHeldElsewhere;
        }
    }
    // The window keeping the lists does the check: it is not dropped.
    QString error;
    if (WatchHandover::request(programFolder, &error)) {
        printLine(stdout, QStringLiteral("本程序窗口正在使用下载列表,店铺上新检查交给窗口进行"));
        return CommandLine::ExitCode::Done;
    }
    printLine(stderr, ListsLock::runnerRefusedNotice(programFolder));
    return CommandLine::ExitCode::ListsHeldElsewhere;
}
