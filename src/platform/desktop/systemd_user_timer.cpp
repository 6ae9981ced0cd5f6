#include "platform/desktop/systemd_user_timer.h"

#include "platform/files/text_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

QString unitFile(const QString &folder, const QString &name, const char *type)
{
    return QDir(folder).filePath(name + QLatin1Char('.') + QLatin1String(type));
}

} // namespace

SystemdUserTimer::SystemdUserTimer(const QString &unitFolder, const QString &programFolder, const QStringList &command,
                                   QObject *parent)
    : QObject(parent)
    , m_folder(unitFolder)
    , m_programFolder(programFolder)
    , m_name(unitNameFor(programFolder))
    , m_command(command)
{
}

QString SystemdUserTimer::unitNameFor(const QString &programFolder)
{
    // Unit names allow few characters; a folder's path may hold any.
    const QByteArray digest = QCryptographicHash::hash(QDir::cleanPath(programFolder).toUtf8(), QCryptographicHash::Sha256);
    return legacyUnitName() + QLatin1Char('-') + QString::fromLatin1(digest.toHex().left(12));
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
    return unitFile(m_folder, m_name, "service");
}

QString SystemdUserTimer::timerPath() const
{
    return unitFile(m_folder, m_name, "timer");
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

QString SystemdUserTimer::serviceText(const QStringList &command, const QString &programFolder)
{
    QStringList exec;
    for (const QString &argument : command)
        exec << execArgument(argument);
    // Unit files are UTF-8 whatever the program's own text files are. A
    // oneshot service has no start time-out unless it is given one.
    return QStringLiteral("[Unit]\n"
                          "Description=Zorvane产品图片下载器: 检查监控店铺的新宝贝(程序目录 %1)\n"
                          "\n"
                          "[Service]\n"
                          "Type=oneshot\n"
                          "Environment=QT_QPA_PLATFORM=offscreen\n"
                          "Nice=10\n"
                          "TimeoutStartSec=%2h\n"
                          "ExecStart=")
               .arg(QString(programFolder).replace(QLatin1Char('%'), QStringLiteral("%%")).replace(QLatin1Char('\n'), QLatin1Char(' ')))
               .arg(StartTimeoutHours)
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

std::optional<QTime> SystemdUserTimer::readTime(const QString &timerPath)
{
    QFile file(timerPath);
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
    if (!writeFileAtomically(servicePath(), serviceText(m_command, m_programFolder).toUtf8(), &error)
        || !writeFileAtomically(timerPath(), timerText(time).toUtf8(), &error)) {
        removeUnits(m_name, nullptr);
        done(false, error);
        return;
    }
    const QString timer = m_name + QStringLiteral(".timer");
    // A timer already enabled takes its new time when started again.
    const auto install = [this, done, timer] {
        systemctl({{QStringLiteral("daemon-reload")}, {QStringLiteral("enable"), timer}, {QStringLiteral("restart"), timer}},
                  [this, done](bool ok, const QString &why) {
                      if (!ok)
                          removeUnits(m_name, nullptr);
                      done(ok, why);
                  });
    };
    if (!holdsLegacyUnits()) {
        install();
        return;
    }
    // This folder's schedule under the old name: replaced, never run twice a day.
    systemctl({{QStringLiteral("disable"), QStringLiteral("--now"), legacyUnitName() + QStringLiteral(".timer")}},
              [this, done, install](bool ok, const QString &why) {
                  QString error;
                  if (!ok || !removeUnits(legacyUnitName(), &error)) {
                      removeUnits(m_name, nullptr);
                      done(false, ok ? error : why);
                      return;
                  }
                  install();
              });
}

void SystemdUserTimer::turnOff(Done done)
{
    QStringList names;
    if (QFile::exists(timerPath()))
        names << m_name;
    if (holdsLegacyUnits())
        names << legacyUnitName();
    QStringList disable{QStringLiteral("disable"), QStringLiteral("--now")};
    for (const QString &name : std::as_const(names))
        disable << name + QStringLiteral(".timer");
    QString error;
    if (names.isEmpty()) {
        // No timer was ever enabled here: there is nothing to ask systemctl.
        const bool removed = removeUnits(m_name, &error);
        done(removed, error);
        return;
    }
    systemctl({disable}, [this, done, names](bool ok, const QString &why) {
        if (!ok) {
            // Still enabled: the units stay, and so does the schedule.
            done(false, why);
            return;
        }
        QString error;
        for (const QString &name : names) {
            if (!removeUnits(name, &error)) {
                done(false, error);
                return;
            }
        }
        // Disabled and stopped already: a reload that fails changes nothing.
        systemctl({{QStringLiteral("daemon-reload")}}, [done](bool, const QString &) { done(true, QString()); });
    });
}

bool SystemdUserTimer::holdsLegacyUnits() const
{
    QFile service(unitFile(m_folder, legacyUnitName(), "service"));
    if (!service.open(QIODevice::ReadOnly))
        return false;
    const QString folder = execArgument(QStringLiteral("--program-folder")) + QLatin1Char(' ') + execArgument(m_programFolder);
    return QString::fromUtf8(service.readAll()).contains(folder + QLatin1Char(' '));
}

bool SystemdUserTimer::removeUnits(const QString &name, QString *error)
{
    for (const QString &path : {unitFile(m_folder, name, "timer"), unitFile(m_folder, name, "service")}) {
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
