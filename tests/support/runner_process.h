#pragma once

#include "child_process.h"
#include "fixture_server.h"
#include "test_app.h"

#include "platform/web/webengine_setup.h"

#include <QProcessEnvironment>
#include <QStringList>

// zorvane-picker-batch in a process of its own, its marketplace mapped to the
// local server; never on the machine's own session bus.
class RunnerProcess : public ChildProcess
{
public:
    RunnerProcess(const QString &program, const QStringList &arguments,
                  const QProcessEnvironment &extra = QProcessEnvironment())
        : ChildProcess(program,
                       arguments
                           + QStringList{QStringLiteral("--webEngineArgs"),
                                         QStringLiteral("--host-resolver-rules=")
                                             + QString::fromStdString(marketplaceHostRule(
                                                 sharedServer().port(), sharedServer().tlsPort()))},
                       environment(extra))
    {
    }

private:
    static QProcessEnvironment environment(const QProcessEnvironment &extra)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/zorvane-test-bus"));
        for (const QString &key : extra.keys())
            env.insert(key, extra.value(key));
        return env;
    }
};
