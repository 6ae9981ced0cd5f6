#include "shell/app/program_options.h"

#include "platform/web/webengine_setup.h"
#include "shell/app/lists_lock.h"
#include "shell/app/program_folder.h"
#include "shell/demo/demo_marketplace.h"
#include "shell/settings.h"
#include "zorvane_version.h"

#include <QCommandLineParser>
#include <QDir>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <cstdio>
#include <cstring>

namespace {

bool isWebEngineMarker(const char *arg)
{
    return std::strcmp(arg, "--webEngineArgs") == 0;
}

void dropQtMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        printLine(stderr, message);
}

} // namespace

void quietQtMessages()
{
    if (qEnvironmentVariableIntValue("ZORVANE_QT_MESSAGES") == 1)
        return;
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    qInstallMessageHandler(dropQtMessage);
}

ProgramOptions::ProgramOptions(CommandLine::Program program, int argc, char **argv,
                               const std::vector<std::string> &chromiumFlags)
    : m_program(program)
{
    prepareWebEngineEnvironment();
    // Web pages are composed into the window in software (measured under
    // Xvfb: with the OpenGL path every frame of a web view, the hidden
    // collector's included, recomposed the whole window on the GUI thread,
    // stalling it 30-50 ms; in software only the visible part is painted).
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", QByteArray("software"));
    bool demo = false;
    for (int i = 0; i < argc && !isWebEngineMarker(argv[i]); ++i) {
        m_ownArguments << QString::fromLocal8Bit(argv[i]);
        demo = demo || std::strcmp(argv[i], "--demo") == 0;
    }
    std::vector<std::string> flags = chromiumFlags;
    // Chromium's own log lines stay off the terminal.
    flags.emplace_back("--log-level=3");
    // When this variable is set at all, Chromium ignores the flags in argv.
    const QByteArray fromEnvironment = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const QByteArray &flag : fromEnvironment.split(' ')) {
        if (!flag.isEmpty())
            flags.push_back(flag.toStdString());
    }
    if (demo) {
        // The server listens now: its port must be in the host mapping before
        // Chromium starts.
        m_demo = std::make_unique<DemoMarketplace>();
        const std::vector<std::string> demoFlags = m_demo->chromiumFlags();
        flags.insert(flags.end(), demoFlags.begin(), demoFlags.end());
    }
    m_appArgs = webEngineArguments(argc, argv, flags);
    for (std::string &a : m_appArgs)
        m_appArgv.push_back(a.data());
    m_appArgc = int(m_appArgv.size());
    m_appArgv.push_back(nullptr);
}

ProgramOptions::~ProgramOptions() = default;

void ProgramOptions::addTo(QCommandLineParser &parser) const
{
    QCoreApplication::setApplicationVersion(QStringLiteral(ZORVANE_VERSION));
    CommandLine::addTo(parser, m_program);
}

bool asksOnlyForText(int argc, char **argv)
{
    for (int i = 1; i < argc && !isWebEngineMarker(argv[i]); ++i) {
        for (const char *option : {"--version", "-v", "--help", "-h", "-?", "--help-all"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

QString ProgramOptions::demoSaveFolder() const
{
    return QDir(m_core.programFolder).filePath(QStringLiteral("图片"));
}

bool ProgramOptions::finish(const QCommandLineParser &parser, QString *error)
{
    const QString hostOption = QStringLiteral("check-host"), folderOption = QStringLiteral("program-folder");
    if (parser.isSet(hostOption))
        m_core.marketplace.checkHost = parser.value(hostOption);
    if (!m_demo) {
        m_core.programFolder = parser.isSet(folderOption) ? QDir(parser.value(folderOption)).absolutePath()
                                                            : programFolder();
        if (QDir().mkpath(m_core.programFolder))
            return true;
        *error = QStringLiteral("无法创建程序目录: ") + m_core.programFolder;
        return false;
    }
    if (parser.isSet(folderOption)) {
        *error = QStringLiteral("--demo 使用自己的程序目录,不能与 --program-folder 同时使用");
        return false;
    }
    // Every demo starts from empty lists, never the user's, and never empties
    // the folder of a demo that is still running.
    const QDir temp(QStandardPaths::writableLocation(QStandardPaths::TempLocation));
    for (int n = 1;; ++n) {
        m_core.programFolder =
            temp.filePath(QStringLiteral("zorvane-picker-demo") + (n > 1 ? QStringLiteral("-%1").arg(n) : QString()));
        if (ListsLock(m_core.programFolder).acquire() != ListsLock::State::HeldElsewhere)
            break;
    }
    QDir(m_core.programFolder).removeRecursively();
    if (!QDir().mkpath(demoSaveFolder())) {
        *error = QStringLiteral("无法创建演示目录: ") + m_core.programFolder;
        return false;
    }
    m_core.marketplace.homePage = DemoMarketplace::homePage();
    // A schedule set in the demo lasts as long as its window, never the user's own.
    m_core.desktopSchedule = false;
    // An address literal needs no name server: the demo works offline.
    if (!parser.isSet(hostOption))
        m_core.marketplace.checkHost = QStringLiteral("127.0.0.1");
    Settings settings(m_core.programFolder);
    if (!settings.setSaveFolder(demoSaveFolder(), error))
        return false;
    m_demo->serve();
    return true;
}
