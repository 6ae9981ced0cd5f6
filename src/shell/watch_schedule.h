#pragma once

#include <QObject>
#include <QString>
#include <QTime>

#include <functional>
#include <optional>

class DesktopSchedule;
class Settings;
class StatusLog;

// 店铺上新's schedule, 每天 at a time or off, as config.ini keeps it
// (WatchSchedule=HH:MM, empty when off; WatchScheduleBy=systemd or window;
// WatchScheduleNote= why the desktop could not keep it). The desktop keeps it
// where it can; elsewhere the window checks while it is open
// (WindowKeptSchedule).
class WatchSchedule : public QObject
{
    Q_OBJECT
public:
    enum class Keeper { None, Desktop, Window };

    WatchSchedule(Settings &settings, DesktopSchedule &desktop, StatusLog &log, QObject *parent = nullptr);

    std::optional<QTime> time() const;
    Keeper keeper() const;
    // "每天09:00(系统定时器)", "每天09:00(本窗口打开时检查)" or "关闭".
    QString describe() const;
    // Why the window keeps the schedule, or why it could not be turned off,
    // in the desktop's own words; empty when nothing went wrong.
    QString note() const;

    void setDaily(const QTime &time, std::function<void(Keeper)> done = {});
    void turnOff(std::function<void(bool)> done = {});

signals:
    void changed();

private:
    bool store(const QString &time, const QString &by, const QString &note);

    Settings &m_settings;
    DesktopSchedule &m_desktop;
    StatusLog &m_log;
    QString m_offFailure; // the last turnOff's, until the schedule changes
};
