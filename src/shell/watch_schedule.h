#pragma once

#include <QDateTime>
#include <QObject>
#include <QTime>
#include <QTimer>

#include <functional>
#include <optional>

class Settings;
class StatusLog;
class SystemdUserTimer;

// 店铺上新's schedule, 每天 at a time or off, as config.ini keeps it
// (WatchSchedule=HH:MM, empty when off; WatchScheduleBy=systemd or window).
// The desktop keeps it with a systemd user timer; where `systemctl --user`
// cannot, the window checks on its own timer while it is open, and catches up
// a check missed while it was closed.
class WatchSchedule : public QObject
{
    Q_OBJECT
public:
    enum class Keeper { None, Desktop, Window };

    WatchSchedule(Settings &settings, SystemdUserTimer &timer, StatusLog &log, QObject *parent = nullptr);

    std::optional<QTime> time() const;
    Keeper keeper() const;
    // "每天09:00(系统定时器)", "每天09:00(本窗口打开时检查)" or "关闭".
    QString describe() const;

    void setDaily(const QTime &time, std::function<void(Keeper)> done = {});
    void turnOff(std::function<void(bool)> done = {});

    // From the window: when the window keeps the schedule, due() comes at
    // the time, or at once when the last check is older than the last time
    // the schedule named. `lastCheck` is asked each time.
    void keepInWindow(std::function<QDateTime()> lastCheck);
    // When the next check falls due: `now` itself when one was missed.
    static QDateTime nextRun(const QDateTime &now, const QTime &at, const QDateTime &lastCheck);

signals:
    void due();
    void changed();

private:
    bool store(const QString &time, const QString &by);
    void arm();

    Settings &m_settings;
    SystemdUserTimer &m_timer;
    StatusLog &m_log;
    QTimer m_windowTimer;
    std::function<QDateTime()> m_lastCheck;
};
