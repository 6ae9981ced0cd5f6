#include "platform/systemd_user_timer.h"

#include "platform/text_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

SystemdUserTimer::SystemdUserTimer(const QString &unitFolder, const QStringList &command, QObject *parent)
    : QObject(parent)
    , m_folder(unitFolder)
    , m_command(command)
{
}

QString SystemdUserTimer::defaultUnitFolder()
{
    const QString config = qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")
        ? QDir::home().filePath(QStringLiteral(".config"))
        : qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir(config).filePath(QStringLiteral("systemd/user"));
}

QString SystemdUserTimer::servicePath() const
{
    return QDir(m_folder).filePath(unitName() + QStringLiteral(".service"));
}

QString SystemdUserTimer::timerPath() const
{
    return QDir(m_folder).filePath(unitName() + QStringLiteral(".timer"));
}

QString SystemdUserTimer::execArgument(const QString &argument)
{
    QString quoted = argument;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""))
        .replace(QLatin1Char('%'), QStringLiteral("%%"))
        .replace(QLatin1Char('$'), QStringLiteral("$$"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString SystemdUserTimer::serviceText(const QStringList &command)
{
    QStringList exec;
    for (const QString &argument : command)
        exec << execArgument(argument);
    // Unit files are UTF-8 whatever the program's own text files are.
    return QStringLiteral("[Unit]\n"
                          "Description=Zorvane产品图片下载器: 检查监控店铺的新宝贝\n"
                          "\n"
                          "[Service]\n"
                          "Type=oneshot\n"
                          "Environment=QT_QPA_PLATFORM=offscreen\n"
                          "Nice=10\n"
                          "ExecStart=")
        + exec.join(QLatin1Char(' ')) + QStringLiteral("\n");
}

QString SystemdUserTimer::timerText(const QTime &time)
{
    return QStringLiteral("[Unit]\n"
                          "Description=Zorvane产品图片下载器: 每天%1检查监控店铺的新宝贝\n"
                          "\n"
                          "[Timer]\n"
                          "OnCalendar=*-*-* %1:00\n"
                          "Persistent=true\n"
                          "RandomizedDelaySec=%2min\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=timers.target\n")
        .arg(time.toString(QStringLiteral("HH:mm")))
        .arg(RandomizedDelayMinutes);
}

std::optional<QTime> SystemdUserTimer::readTime(const QString &unitFolder)
{
    QFile file(QDir(unitFolder).filePath(unitName() + QStringLiteral(".timer")));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    static const QRegularExpression calendar(QStringLiteral("^OnCalendar=\\*-\\*-\\* (\\d\\d:\\d\\d):00$"),
                                             QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = calendar.match(QString::fromUtf8(file.readAll()));
    if (!m.hasMatch())
        return std::nullopt;
    const QTime time = QTime::fromString(m.captured(1), QStringLiteral("HH:mm"));
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

void SystemdUserTimer::setDaily(const QTime &time, Done done)
{
    QString error;
    if (!QDir().mkpath(m_folder)) {
        done(false, QStringLiteral("无法创建目录 ") + m_folder);
        return;
    }
    if (!writeFileAtomically(servicePath(), serviceText(m_command).toUtf8(), &error)
        || !writeFileAtomically(timerPath(), timerText(time).toUtf8(), &error)) {
        removeUnits(nullptr);
        done(false, error);
        return;
    }
    const QString timer = unitName() + QStringLiteral(".timer");
    // A timer already enabled takes its new time when started again.
    systemctl({{QStringLiteral("daemon-reload")}, {QStringLiteral("enable"), timer}, {QStringLiteral("restart"), timer}},
              [this, done](bool ok, const QString &why) {
                  if (!ok)
                      removeUnits(nullptr);
                  done(ok, why);
              });
}

void SystemdUserTimer::turnOff(Done done)
{
    const QString timer = unitName() + QStringLiteral(".timer");
    // Without a service manager there is nothing to disable: the units still go.
    systemctl({{QStringLiteral("disable"), QStringLiteral("--now"), timer}}, [this, done](bool, const QString &) {
        QString error;
        if (!removeUnits(&error)) {
            done(false, error);
            return;
        }
        systemctl({{QStringLiteral("daemon-reload")}}, [done](bool, const QString &) { done(true, QString()); });
    });
}

bool SystemdUserTimer::removeUnits(QString *error)
{
    for (const QString &path : {timerPath(), servicePath()}) {
        QFile file(path);
        if (file.exists() && !file.remove()) {
            if (error)
                *error = path + QStringLiteral(": ") + file.errorString();
            return false;
        }
    }
    return true;
}

void SystemdUserTimer::systemctl(QList<QStringList> runs, Done done)
{
    if (runs.isEmpty()) {
        done(true, QString());
        return;
    }
    const QStringList arguments = QStringList{QStringLiteral("--user")} + runs.takeFirst();
    auto *process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    const QString shown = QStringLiteral("systemctl ") + arguments.join(QLatin1Char(' '));
    connect(process, &QProcess::errorOccurred, this, [process, done, shown](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        process->deleteLater();
        done(false, shown + QStringLiteral(" 无法运行(") + process->errorString() + QLatin1Char(')'));
    });
    connect(process, &QProcess::finished, this, [this, process, runs, done, shown](int code, QProcess::ExitStatus status) {
        process->deleteLater();
        if (status != QProcess::NormalExit || code != 0) {
            const QString said = QString::fromLocal8Bit(process->readAll()).trimmed();
            done(false, shown + QStringLiteral(" 失败(退出码%1)").arg(code) + (said.isEmpty() ? QString() : QStringLiteral(": ") + said));
            return;
        }
        systemctl(runs, done);
    });
    process->start(QStringLiteral("systemctl"), arguments);
}
