#include "shell/app/program_options.h"

#include "platform/webengine_setup.h"
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

ProgramOptions::ProgramOptions(int argc, char **argv, const std::vector<std::string> &chromiumFlags)
    : m_folderOption(QStringLiteral("program-folder"),
                     QStringLiteral("存放 config.ini 和 listdata.txt 的程序目录(默认: 程序所在目录,不可写时为用户数据目录)"),
                     QStringLiteral("DIR"))
    , m_hostOption(QStringLiteral("check-host"),
                   QStringLiteral("启动采集前检测网络时解析的主机名(默认: www.zorvane.com)"), QStringLiteral("NAME"))
    , m_demoOption(QStringLiteral("demo"),
                   QStringLiteral("演示: 在本机启动一个小型 Zorvane 市场,使用独立的临时程序目录,"
                                  "把演示店铺的全部宝贝加入待下载列表并采集(无需联网)"))
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
        flags.push_back("--host-resolver-rules=" + m_demo->hostRule().toStdString());
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
    parser.addVersionOption();
    parser.addOptions({m_folderOption, m_hostOption, m_demoOption});
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
    if (parser.isSet(m_hostOption))
        m_core.marketplace.checkHost = parser.value(m_hostOption);
    if (!m_demo) {
        m_core.programFolder = parser.isSet(m_folderOption) ? QDir(parser.value(m_folderOption)).absolutePath()
                                                            : programFolder();
        if (QDir().mkpath(m_core.programFolder))
            return true;
        *error = QStringLiteral("无法创建程序目录: ") + m_core.programFolder;
        return false;
    }
    if (parser.isSet(m_folderOption)) {
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
    // An address literal needs no name server: the demo works offline.
    if (!parser.isSet(m_hostOption))
        m_core.marketplace.checkHost = QStringLiteral("127.0.0.1");
    Settings settings(m_core.programFolder);
    if (!settings.setSaveFolder(demoSaveFolder(), error))
        return false;
    m_demo->serve();
    return true;
}
