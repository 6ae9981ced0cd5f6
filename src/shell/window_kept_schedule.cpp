#include "shell/window_kept_schedule.h"

#include "collection/status_log.h"
#include "shell/settings.h"
#include "shell/watch_schedule.h"
#include "shop/watch_check.h"
#include "shop/watch_list.h"

#include <algorithm>
#include <utility>

namespace {

const QString TriedKey = QStringLiteral("WatchScheduleTried");
const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// The timer wakes at least this often to look at the clock again: a
// suspended machine's timers stand still, and the clock can be set.
constexpr qint64 MaxSleepMs = 10 * 60 * 1000;
// A wake-up this close to the time is the time (timers may fire early).
constexpr qint64 EarlyMs = 2000;

} // namespace

WindowKeptSchedule::WindowKeptSchedule(WatchSchedule &schedule, Settings &settings, WatchCheck &check, StatusLog &log,
                                       const QString &programFolder, Clock clock, QObject *parent)
    : QObject(parent)
    , m_schedule(schedule)
    , m_settings(settings)
    , m_check(check)
    , m_log(log)
    , m_programFolder(programFolder)
    , m_clock(clock ? std::move(clock) : [] { return QDateTime::currentDateTime(); })
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &WindowKeptSchedule::fire);
    connect(&m_schedule, &WatchSchedule::changed, this, &WindowKeptSchedule::arm);
    connect(&m_check, &WatchCheck::finished, this, [this](const WatchReport &report) {
        const bool ours = std::exchange(m_starting, false);
        arm();
        if (ours && !report.shops.isEmpty() && report.unreadCount() == report.shops.size() && m_target.isValid())
            m_log.AddMesg(QStringLiteral("店铺上新定时检查没有读到任何店铺,%1再试")
                              .arg(m_target.toString(QStringLiteral("MM-dd HH:mm"))));
    });
    arm();
}

QDateTime WindowKeptSchedule::nextRun(const QDateTime &now, const QTime &at, const QDateTime &lastRead,
                                      const QDateTime &lastTry)
{
    const QDateTime today(now.date(), at);
    if (!lastRead.isValid() && !lastTry.isValid())
        return today > now ? today : today.addDays(1); // never checked: nothing to catch up
    // The time last named; a start a little before it counts for it.
    const QDateTime slot = today <= now.addSecs(GraceSeconds) ? today : today.addDays(-1);
    const QDateTime following = slot.addDays(1);
    const auto counts = [&slot](const QDateTime &t) { return t.isValid() && t >= slot.addSecs(-GraceSeconds); };
    if (counts(lastRead))
        return following;
    if (counts(lastTry))
        return std::min(following, std::max(now, lastTry.addSecs(RetryMinutes * 60)));
    return std::max(now, slot); // missed
}

QDateTime WindowKeptSchedule::lastRead() const
{
    QDateTime last;
    for (const WatchedShop &s : WatchList(m_programFolder).shops())
        last = std::max(last, s.lastCheck);
    return last;
}

QDateTime WindowKeptSchedule::lastTry() const
{
    return QDateTime::fromString(m_settings.LoadConfigValue(TriedKey), TimeFormat);
}

void WindowKeptSchedule::arm()
{
    m_timer.stop();
    m_target = {};
    const std::optional<QTime> at = m_schedule.time();
    if (!at || m_schedule.keeper() != WatchSchedule::Keeper::Window || m_check.isRunning())
        return;
    const QDateTime now = m_clock();
    m_target = nextRun(now, *at, lastRead(), lastTry());
    m_timer.start(int(std::clamp<qint64>(now.msecsTo(m_target), 0, MaxSleepMs)));
}

void WindowKeptSchedule::fire()
{
    const QDateTime now = m_clock();
    if (now.msecsTo(m_target) > EarlyMs || m_check.isRunning()) {
        arm(); // a look at the clock; or a check under way, whose end arms again
        return;
    }
    m_target = {};
    QString error;
    if (!m_settings.SaveConfigValue(TriedKey, now.toString(TimeFormat), &error))
        m_log.AddMesg(QStringLiteral("定时检查设置未能保存,原因:") + error);
    // Nothing watched: nothing to start, and nothing to say every hour.
    m_starting = !WatchList(m_programFolder).shops().isEmpty() && m_check.start();
    if (!m_starting)
        arm();
}
