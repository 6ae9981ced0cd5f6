#include "shell/app/watch_runner.h"

#include "platform/systemd_user_timer.h"
#include "platform/terminal.h"
#include "shell/watch_schedule.h"
#include "shop/watch_list.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

WatchRunnerOptions::WatchRunnerOptions()
    : m_add(QStringLiteral("watch-add"), QStringLiteral("把店铺加入店铺上新监控(首次检查只记录现有宝贝)"), QStringLiteral("URL"))
    , m_withExisting(QStringLiteral("with-existing"), QStringLiteral("与 --watch-add 同用:首次检查就采集店铺现有宝贝"))
    , m_remove(QStringLiteral("watch-remove"), QStringLiteral("把店铺移出店铺上新监控"), QStringLiteral("URL"))
    , m_list(QStringLiteral("watch-list"), QStringLiteral("列出监控的店铺,每行一个"))
    , m_check(QStringLiteral("watch"),
              QStringLiteral("立即检查全部监控店铺,采集新宝贝(可与 --fast、--collectors 同用);窗口正在使用列表时交给窗口检查"))
    , m_schedule(QStringLiteral("watch-schedule"),
                 QStringLiteral("定时检查: daily HH:MM(每天,系统定时器)或 off(关闭)"), QStringLiteral("daily HH:MM|off"))
{
}

void WatchRunnerOptions::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({m_add, m_withExisting, m_remove, m_list, m_check, m_schedule});
}

bool WatchRunnerOptions::asksForCheck(const QCommandLineParser &parser) const
{
    return parser.isSet(m_check);
}

bool WatchRunnerOptions::asksForSchedule(const QCommandLineParser &parser) const
{
    return parser.isSet(m_schedule);
}

std::optional<int> WatchRunnerOptions::runListCommand(const QCommandLineParser &parser, const QString &programFolder) const
{
    WatchList watched(programFolder);
    QString message;
    if (parser.isSet(m_add)) {
        const WatchList::Change change =
            watched.add(parser.value(m_add), parser.isSet(m_withExisting), QDateTime::currentDateTime(), &message);
        printLine(change == WatchList::Change::Done || change == WatchList::Change::AlreadyThere ? stdout : stderr, message);
        return change == WatchList::Change::Done || change == WatchList::Change::AlreadyThere ? 0 : 1;
    }
    if (parser.isSet(m_remove)) {
        const WatchList::Change change = watched.remove(parser.value(m_remove), &message);
        printLine(change == WatchList::Change::Done ? stdout : stderr, message);
        return change == WatchList::Change::Done ? 0 : 1;
    }
    if (!parser.isSet(m_list))
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

void WatchRunnerOptions::runSchedule(const QCommandLineParser &parser, const QString &programFolder, Settings &settings,
                                     StatusLog &log, std::function<void(int)> exit) const
{
    // "daily 09:00" as one value, or "daily" with the time after it.
    QStringList words = parser.value(m_schedule).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() == 1 && words.first() == u"daily" && !parser.positionalArguments().isEmpty())
        words << parser.positionalArguments().first();
    const QTime time = words.size() == 2 ? QTime::fromString(words.at(1), QStringLiteral("H:mm")) : QTime();
    const bool off = words == QStringList{QStringLiteral("off")};
    if (!off && (words.value(0) != u"daily" || !time.isValid())) {
        printLine(stderr, QStringLiteral("--watch-schedule 的值应为 daily HH:MM 或 off,例如 --watch-schedule daily 09:00"));
        exit(1);
        return;
    }
    auto *timer = new SystemdUserTimer(SystemdUserTimer::defaultUnitFolder(),
                                       {QCoreApplication::applicationFilePath(), QStringLiteral("--program-folder"),
                                        programFolder, QStringLiteral("--watch")},
                                       QCoreApplication::instance());
    auto *schedule = new WatchSchedule(settings, *timer, log, QCoreApplication::instance());
    if (off) {
        schedule->turnOff([exit](bool ok) { exit(ok ? 0 : 1); });
        return;
    }
    schedule->setDaily(time, [exit](WatchSchedule::Keeper keeper) {
        exit(keeper == WatchSchedule::Keeper::Desktop ? 0 : ScheduleByWindowOnly);
    });
}
