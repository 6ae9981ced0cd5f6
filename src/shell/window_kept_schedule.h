#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>

#include <functional>

class Settings;
class StatusLog;
class WatchCheck;
class WatchSchedule;

// 店铺上新's daily check where the desktop cannot keep the schedule: while the
// window is open, the check starts at the time, or at once when one was
// missed. Every start is recorded (WatchScheduleTried in config.ini): a day
// on which no shop could be read is tried again hourly, not every minute, and
// neither a timer firing a little early nor a check running long starts the
// day's check twice. While a check runs, nothing is armed.
class WindowKeptSchedule : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    static constexpr int RetryMinutes = 60;
    // A start this close before the time counts for it: the timer may fire
    // early, and the records keep whole seconds.
    static constexpr int GraceSeconds = 60;

    WindowKeptSchedule(WatchSchedule &schedule, Settings &settings, WatchCheck &check, StatusLog &log,
                       const QString &programFolder, Clock clock = {}, QObject *parent = nullptr);

    // When the next check starts; invalid while none is armed.
    QDateTime nextStart() const { return m_target; }

    // When the next check falls due, given the last check that read a shop
    // and the last start this schedule made (either invalid when none).
    static QDateTime nextRun(const QDateTime &now, const QTime &at, const QDateTime &lastRead, const QDateTime &lastTry);

private:
    void arm();
    void fire();
    QDateTime lastRead() const;
    QDateTime lastTry() const;

    WatchSchedule &m_schedule;
    Settings &m_settings;
    WatchCheck &m_check;
    StatusLog &m_log;
    QString m_programFolder;
    Clock m_clock;
    QTimer m_timer;
    QDateTime m_target;
    bool m_starting = false; // a start this schedule made has not ended yet
};
