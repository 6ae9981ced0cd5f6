#include "shell/watch_schedule.h"

#include "collection/status_log.h"
#include "platform/desktop/desktop_schedule.h"
#include "shell/settings.h"

#include <QPointer>

namespace {

const QString TimeKey = QStringLiteral("WatchSchedule");
const QString ByKey = QStringLiteral("WatchScheduleBy");
const QString NoteKey = QStringLiteral("WatchScheduleNote");

} // namespace

WatchSchedule::WatchSchedule(Settings &settings, DesktopSchedule &desktop, StatusLog &log, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_desktop(desktop)
    , m_log(log)
{
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

QString WatchSchedule::note() const
{
    if (!m_offFailure.isEmpty())
        return QStringLiteral("关闭定时检查失败:") + m_offFailure;
    if (keeper() != Keeper::Window)
        return QString();
    const QString why = m_settings.LoadConfigValue(NoteKey);
    return why.isEmpty() ? QString() : QStringLiteral("无法使用系统定时器:") + why;
}

bool WatchSchedule::store(const QString &time, const QString &by, const QString &note)
{
    QString error;
    const bool ok = m_settings.SaveConfigValue(TimeKey, time, &error) && m_settings.SaveConfigValue(ByKey, by, &error)
        && m_settings.SaveConfigValue(NoteKey, note, &error);
    if (!ok)
        m_log.AddMesg(QStringLiteral("定时检查设置未能保存,原因:") + error);
    emit changed();
    return ok;
}

void WatchSchedule::setDaily(const QTime &at, std::function<void(Keeper)> done)
{
    const QString text = at.toString(QStringLiteral("HH:mm"));
    QPointer<WatchSchedule> self(this);
    m_desktop.setDaily(at, [self, text, done](bool ok, const QString &why) {
        if (!self)
            return;
        self->m_offFailure.clear();
        if (ok) {
            self->store(text, QStringLiteral("systemd"), QString());
            self->m_log.AddMesg(QStringLiteral("店铺上新定时检查:每天%1(系统定时器,电脑关机错过的检查在下次开机后补上)").arg(text));
        } else {
            // One line in config.ini: the window shows it after a restart too.
            self->store(text, QStringLiteral("window"), QString(why).replace(QLatin1Char('\n'), QLatin1Char(' ')));
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
    m_desktop.turnOff([self, done](bool ok, const QString &why) {
        if (!self)
            return;
        if (ok) {
            self->m_offFailure.clear();
            self->store(QString(), QString(), QString());
            self->m_log.AddMesg(QStringLiteral("店铺上新定时检查已关闭"));
        } else {
            self->m_offFailure = why;
            self->m_log.AddMesg(QStringLiteral("关闭定时检查失败,原因:") + why);
            emit self->changed();
        }
        if (done)
            done(ok);
    });
}
