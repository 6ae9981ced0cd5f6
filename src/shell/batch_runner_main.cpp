// zorvane-picker-batch: collects the pending list without the window.
#include "download/save_folder.h"
#include "lists/list_commands.h"
#include "platform/desktop.h"
#include "platform/webengine_setup.h"
#include "shell/program_core.h"
#include "shell/program_folder.h"
#include "shell/termination_signals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QWebEngineView>

#include <cstdio>

namespace {

// Answers the folder chooser with the folder given on the command line.
class GivenFolder : public FolderPicker
{
public:
    explicit GivenFolder(QString folder) : m_folder(std::move(folder)) {}
    QString BrowseForFolder(const QString &, const QString &) override { return m_folder; }

private:
    QString m_folder;
};

class NoOpener : public Opener
{
public:
    bool openFolder(const QString &) override { return false; }
    bool openAddress(const QString &) override { return false; }
};

void printLine(const QString &line)
{
    std::fputs(line.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Our own options: those before "--webEngineArgs", which go to Chromium.
QStringList ownArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc && qstrcmp(argv[i], "--webEngineArgs") != 0; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

enum ExitCode { Done = 0, Usage = 1, StartRefused = 2, Paused = 3, ListsNotSaved = 4 };

} // namespace

int main(int argc, char **argv)
{
    // Headless: the collector's view is shown on the offscreen platform
    // (a page that was never shown gets no scroll events).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    prepareWebEngineEnvironment();
    const QStringList arguments = ownArguments(argc, argv);
    std::vector<std::string> webArgs = webEngineArguments(argc, argv, {"--disable-gpu"});
    std::vector<char *> webArgv;
    for (std::string &a : webArgs)
        webArgv.push_back(a.data());
    int webArgc = int(webArgv.size());
    webArgv.push_back(nullptr);
    QApplication app(webArgc, webArgv.data());
    QApplication::setApplicationName(QStringLiteral("zorvane-picker-batch"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Zorvane产品图片下载器(无窗口批量采集):逐个采集待下载列表中的宝贝,全部完成后退出。"));
    parser.addHelpOption();
    const QCommandLineOption folderOption(QStringLiteral("program-folder"),
        QStringLiteral("存放 config.ini 和 listdata.txt 的程序目录(默认: %1)").arg(programFolder()),
        QStringLiteral("DIR"));
    const QCommandLineOption hostOption(QStringLiteral("check-host"),
        QStringLiteral("启动前检测网络时解析的主机名(默认: www.zorvane.com)"), QStringLiteral("NAME"));
    const QCommandLineOption shopOption(QStringLiteral("shop"),
        QStringLiteral("先整店采集该店铺地址的全部宝贝"), QStringLiteral("URL"));
    const QCommandLineOption saveOption(QStringLiteral("save-folder"),
        QStringLiteral("设置图片保存目录(与\"保存目录\"按钮相同,记入 config.ini)"), QStringLiteral("DIR"));
    const QCommandLineOption addOption(QStringLiteral("add"),
        QStringLiteral("把一行\"宝贝URL|货号\"加入待下载列表(可多次使用)"), QStringLiteral("LINE"));
    const QCommandLineOption fastOption(QStringLiteral("fast"),
        QStringLiteral("本次以快速采集(不改变设置):页面滚动和图片下载尽可能快,下一个宝贝立即开始"));
    parser.addOptions({folderOption, hostOption, shopOption, saveOption, addOption, fastOption});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "%s\n", parser.errorText().toLocal8Bit().constData());
        return Usage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Done);

    ProgramCore::Options options;
    options.programFolder = parser.isSet(folderOption) ? QDir(parser.value(folderOption)).absolutePath()
                                                       : programFolder();
    if (parser.isSet(hostOption))
        options.marketplace.checkHost = parser.value(hostOption);
    if (!QDir().mkpath(options.programFolder)) {
        std::fprintf(stderr, "无法创建程序目录: %s\n", options.programFolder.toLocal8Bit().constData());
        return Usage;
    }
    std::fprintf(stderr, "程序目录: %s\n", options.programFolder.toLocal8Bit().constData());

    ProgramCore core(options);
    if (parser.isSet(fastOption))
        core.setPace(BatchCycle::Pace::Fast, false);
    QObject::connect(&core.log(), &StatusLog::lineAdded, &printLine);
    core.collectorView().view()->resize(1280, 900);
    core.collectorView().view()->show();
    core.loadLists();

    if (parser.isSet(saveOption)) {
        // A chooser only offers folders that exist; a typed one is made.
        const QString saveFolder = QDir(parser.value(saveOption)).absolutePath();
        if (!QDir().mkpath(saveFolder)) {
            std::fprintf(stderr, "无法创建保存目录: %s\n", saveFolder.toLocal8Bit().constData());
            return Usage;
        }
        GivenFolder picker(saveFolder);
        NoOpener opener;
        SaveFolder(core.settings(), core.log(), picker, opener).ChooseSaveFolder();
    }
    const QStringList added = parser.values(addOption);
    if (!added.isEmpty())
        ListCommands(core.lists(), core.listFile(), core.log()).queueUrlLines(added.join(QStringLiteral("\r\n")));
    // The lists must reach the file: a run whose last save failed says so in its exit code.
    const auto exitAfterSaving = [&core](int code) {
        QCoreApplication::exit(core.shutDown() ? code : ListsNotSaved);
    };

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app,
                     [&](int signalNumber) { exitAfterSaving(128 + signalNumber); });
    BatchCycle &batch = core.batch();
    QObject::connect(&batch, &BatchCycle::idle, &app, [&] { exitAfterSaving(Done); });
    QObject::connect(&batch, &BatchCycle::stopped, &app, [&] {
        if (!core.shop().isRunning())
            exitAfterSaving(Paused);
    });
    const auto start = [&] {
        batch.StartPickCmd_Click([&](bool started) {
            if (!started)
                exitAfterSaving(StartRefused);
        });
    };
    if (parser.isSet(shopOption)) {
        QObject::connect(&core.shop(), &ShopDiscovery::finished, &app, [&] {
            if (!batch.isControllerOn())
                start();
        });
        core.shop().setShopUrlText(parser.value(shopOption));
        core.shop().AllShopBabyUrlAla();
    } else {
        start();
    }
    return app.exec();
}
