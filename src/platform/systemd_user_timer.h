#pragma once

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
class SystemdUserTimer : public QObject
{
    Q_OBJECT
public:
    using Done = std::function<void(bool ok, const QString &error)>;
    static constexpr int RandomizedDelayMinutes = 10;

    // `command` is the program with its arguments, as the service runs it.
    SystemdUserTimer(const QString &unitFolder, const QStringList &command, QObject *parent = nullptr);

    static QString defaultUnitFolder();
    static QString unitName() { return QStringLiteral("zorvane-picker-watch"); }
    QString servicePath() const;
    QString timerPath() const;

    static QString serviceText(const QStringList &command);
    static QString timerText(const QTime &time);
    // The time of day the timer file in `unitFolder` names; nothing when there is none.
    static std::optional<QTime> readTime(const QString &unitFolder);
    // One argument as ExecStart= takes it: quoted, with systemd's specifiers kept literal.
    static QString execArgument(const QString &argument);

    // Writes both units and enables the timer; on failure neither stays.
    void setDaily(const QTime &time, Done done);
    // Disables the timer and removes both units; fails only when a unit stays.
    void turnOff(Done done);

private:
    // Runs `systemctl --user` with each argument list in turn; stops at the first that fails.
    void systemctl(QList<QStringList> runs, Done done);
    bool removeUnits(QString *error);

    QString m_folder;
    QStringList m_command;
};
