#pragma once

#include <QObject>
#include <QProcess>
#include <QSignalSpy>

// A program under test in a process of its own: what it prints is collected
// as it comes (standard output, or both channels when merged), and it is
// killed if it still runs when the test ends.
class ChildProcess
{
public:
    ChildProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                 QProcess::ProcessChannelMode channels = QProcess::SeparateChannels)
    {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(channels);
        QObject::connect(&process, &QProcess::readyReadStandardOutput,
                         [this] { output += QString::fromLocal8Bit(process.readAllStandardOutput()); });
        process.start(program, arguments);
    }
    ~ChildProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool waitForExit(int timeoutMs = 120000)
    {
        QSignalSpy finished(&process, &QProcess::finished);
        return process.state() == QProcess::NotRunning || finished.wait(timeoutMs);
    }

    QProcess process;
    QString output;
};
