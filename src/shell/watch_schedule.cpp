#include "shell/watch_schedule.h"

#include "collection/status_log.h"
#include "platform/systemd_user_timer.h"
#include "shell/settings.h"

#include <QPointer>

namespace {

const QString TimeKey = QStringLiteral("WatchSchedule");
const QString ByKey = QStringLiteral("WatchScheduleBy");

} // namespace

WatchSchedule::WatchSchedule(Settings &settings, SystemdUserTimer &timer, StatusLog &log, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_timer(timer)
    , m_log(log)
{
    m_windowTimer.setSingleShot(true);
    connect(&m_windowTimer, &QTimer::timeout, this, [this] {
        emit due();
        // The check it starts has not ended yet: the next one is tomorrow's.
        QTimer::singleShot(60 * 1000, this, &WatchSchedule::arm);
    });
}

std::optional<QTime> WatchSchedule::time() const
{
    const QTime t = QTime::fromString(m_settings.LoadConfigValue(TimeKey), QStringLiteral("HH:mm"));
    return t.isValid() ? std::optional<QTime>(t) : std::nullopt;
}

WatchSchedule::Keeper WatchSchedule::keeper() const
{
    if (!time())
        return Keeper::None;
    return m_settings.LoadConfigValue(ByKey) == u"window" ? Keeper::Window : Keeper::Desktop;
}

QString WatchSchedule::describe() const
{
    const std::optional<QTime> t = time();
    if (!t)
        return QStringLiteral("关闭");
    return QStringLiteral("每天") + t->toString(QStringLiteral("HH:mm"))
        + (keeper() == Keeper::Window ? QStringLiteral("(本窗口打开时检查)") : QStringLiteral("(系统定时器)"));
}

bool WatchSchedule::store(const QString &time, const QString &by)
{
    QString error;
    const bool ok = m_settings.SaveConfigValue(TimeKey, time, &error) && m_settings.SaveConfigValue(ByKey, by, &error);
    if (!ok)
        m_log.AddMesg(QStringLiteral("定时检查设置未能保存,原因:") + error);
    arm();
    emit changed();
    return ok;
}

void WatchSchedule::setDaily(const QTime &at, std::function<void(Keeper)> done)
{
    const QString text = at.toString(QStringLiteral("HH:mm"));
    QPointer<WatchSchedule> self(this);
    m_timer.setDaily(at, [self, text, done](bool ok, const QString &why) {
        if (!self)
            return;
        if (ok) {
            self->store(text, QStringLiteral("systemd"));
            self->m_log.AddMesg(QStringLiteral("店铺上新定时检查:每天%1(系统定时器,电脑关机错过的检查在下次开机后补上)").arg(text));
        } else {
            self->store(text, QStringLiteral("window"));
            self->m_log.AddMesg(QStringLiteral("无法使用系统定时器(systemctl --user):") + why);
            self->m_log.AddMesg(QStringLiteral("店铺上新定时检查改为:本程序窗口打开时每天%1检查,窗口关闭时不检查").arg(text));
        }
        if (done)
            done(self->keeper());
    });
}

void WatchSchedule::turnOff(std::function<void(bool)> done)
{
    QPointer<WatchSchedule> self(this);
    m_timer.turnOff([self, done](bool ok, const QString &why) {
        if (!self)
            return;
        if (ok) {
            self->store(QString(), QString());
            self->m_log.AddMesg(QStringLiteral("店铺上新定时检查已关闭"));
        } else {
            self->m_log.AddMesg(QStringLiteral("关闭定时检查失败,原因:") + why);
        }
        if (done)
            done(ok);
    });
}

void WatchSchedule::keepInWindow(std::function<QDateTime()> lastCheck)
{
    m_lastCheck = std::move(lastCheck);
    arm();
}

QDateTime WatchSchedule::nextRun(const QDateTime &now, const QTime &at, const QDateTime &lastCheck)
{
    QDateTime today(now.date(), at);
    const QDateTime last = today <= now ? today : today.addDays(-1);
    if (lastCheck.isValid() && lastCheck < last)
        return now;
    return today <= now ? today.addDays(1) : today;
}

void WatchSchedule::arm()
{
    m_windowTimer.stop();
    const std::optional<QTime> at = time();
    if (!m_lastCheck || !at || keeper() != Keeper::Window)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    m_windowTimer.start(int(std::max<qint64>(0, now.msecsTo(nextRun(now, *at, m_lastCheck())))));
}
