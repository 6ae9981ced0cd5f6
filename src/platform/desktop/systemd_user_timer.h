#pragma once

#include "platform/desktop/desktop_schedule.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

// A daily run of a program kept by the desktop's service manager: a systemd
// user timer and its service in ~/.config/systemd/user/ (XDG_CONFIG_HOME's
// systemd/user/ when set), enabled and turned off with `systemctl --user`,
// which runs here without waiting. Persistent=true runs a check missed while
// the machine was off at the next start; a randomized delay keeps many
// sellers from asking the marketplace in the same second.
//
// Each program folder has units of its own, named after its path, so that a
// second folder never replaces or removes another's schedule. Units under the
// single name earlier versions used are taken over by the folder they run.
class SystemdUserTimer : public QObject, public DesktopSchedule
{
    Q_OBJECT
public:
    static constexpr int RandomizedDelayMinutes = 10;
    // A check that hangs is ended in time for the next day's: the lists are
    // saved on SIGTERM, and what is left pending goes on at the next check.
    static constexpr int StartTimeoutHours = 6;

    // `command` is the program with its arguments, as the service runs it.
    SystemdUserTimer(const QString &unitFolder, const QString &programFolder, const QStringList &command,
                     QObject *parent = nullptr);

    static QString defaultUnitFolder();
    // "zorvane-picker-watch-" and a digest of the folder's path.
    static QString unitNameFor(const QString &programFolder);
    // The one name every folder's units had before.
    static QString legacyUnitName() { return QStringLiteral("zorvane-picker-watch"); }
    QString unitName() const { return m_name; }
    QString servicePath() const;
    QString timerPath() const;

    static QString serviceText(const QStringList &command, const QString &programFolder);
    static QString timerText(const QTime &time);
    // The time of day a timer file names; nothing when there is none.
    static std::optional<QTime> readTime(const QString &timerPath);
    // One argument as ExecStart= takes it: quoted, with systemd's specifiers kept literal.
    static QString execArgument(const QString &argument);

    // Writes both units and enables the timer; on failure neither stays.
    void setDaily(const QTime &time, Done done) override;
    // Disables the timer and removes both units; fails, with systemctl's
    // words, when the timer could not be disabled.
    void turnOff(Done done) override;

private:
    // Runs `systemctl --user` with each argument list in turn; stops at the first that fails.
    void systemctl(QList<QStringList> runs, Done done);
    // The units under the old single name run this folder's checks.
    bool holdsLegacyUnits() const;
    bool removeUnits(const QString &name, QString *error);

    QString m_folder;
    QString m_programFolder;
    QString m_name;
    QStringList m_command;
};
