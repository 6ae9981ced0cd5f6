// zorvane-picker: the program's window.
#include "platform/desktop/desktop_services.h"
#include "shell/app/chinese_texts.h"
#include "shell/app/command_line.h"
#include "shell/app/lists_lock.h"
#include "shell/app/program_core.h"
#include "shell/app/program_options.h"
#include "shell/app/termination_signals.h"
#include "shell/app/watch_handover.h"
#include "shell/browser/another_copy.h"
#include "shell/demo/demo_marketplace.h"
#include "shell/demo/screenshot_scenes.h"
#include "shell/window_kept_schedule.h"
#include "shell/window/main/app_icon.h"
#include "shell/window/main/dialog_prompts.h"
#include "shell/window/main/main_form.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>

#include <cstdio>
#include <optional>

namespace {

bool hasDisplay()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The window keeps its own value; the manual lists the table's.
static_assert(MainForm::ListsNotSavedStatus == CommandLine::ExitCode::ListsNotSaved);

} // namespace

int main(int argc, char **argv)
{
    quietQtMessages();
    if (asksOnlyForText(argc, argv) && !hasDisplay())
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    if (!hasDisplay()) {
        printLine(stderr, QStringLiteral(
            "没有图形显示(DISPLAY 和 WAYLAND_DISPLAY 都未设置),无法打开窗口。\n"
            "在没有显示器的机器上请使用无窗口批量采集程序 zorvane-picker-batch:\n"
            "  ./build/src/shell/zorvane-picker-batch --help\n"
            "  ./build/src/shell/zorvane-picker-batch --demo     (本机演示,无需联网)\n"
            "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open.\n"
            "Use the headless runner instead: ./build/src/shell/zorvane-picker-batch --help"));
        return CommandLine::ExitCode::Usage;
    }
    ProgramOptions start(CommandLine::Program::Window, argc, argv);
    QApplication app(start.appArgc(), start.appArgv());
    const ChineseTexts chinese;
    QApplication::setApplicationName(QStringLiteral("zorvane-picker"));
    // The installed desktop entry's name: the desktop shows its icon for the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral("zorvane-picker"));
    QApplication::setWindowIcon(programIcon());

    QCommandLineParser parser;
    start.addTo(parser);
    if (!parser.parse(start.arguments())) {
        printLine(stderr, parser.errorText());
        return CommandLine::ExitCode::Usage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const std::optional<ScreenshotScenes::Scene> scene = ScreenshotScenes::sceneNamed(parser.value(QStringLiteral("screenshot-scene")));
    if (!scene) {
        printLine(stderr, QStringLiteral("未知的截图内容: ") + parser.value(QStringLiteral("screenshot-scene")));
        return CommandLine::ExitCode::Usage;
    }
    QString error;
    if (!start.finish(parser, &error)) {
        printLine(stderr, error);
        return CommandLine::ExitCode::Usage;
    }
    printLine(stderr, QStringLiteral("程序目录: ") + start.coreOptions().programFolder);
    if (start.isDemo())
        printLine(stderr, QStringLiteral("演示模式: 图片保存在 ") + start.demoSaveFolder());

    ProgramCore core(start.coreOptions());
    // Taken before the window and the lists exist, let go after the last save.
    ListsLock lock(core.programFolder());
    lock.acquire();
    lock.guard(core.listFile(), core.batch());
    DialogFolderPicker folders;
    DialogPrompts prompts;
    DesktopOpener opener;
    DetachedProcessStarter starter;
    MainForm form(core, {folders, prompts, opener, starter,
                         QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)});
    if (form.listsReadOnly())
        printLine(stderr, MainForm::readOnlyNotice());
    if (start.isDemo())
        form.refuseAnotherCopy(QStringLiteral("演示模式下不能新建窗口:演示用的本机市场只在本窗口内运行"));
    // The dialogs belong over the window.
    folders = DialogFolderPicker(&form);
    prompts = DialogPrompts(&form);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &form, [&form](int signalNumber) {
        form.close();
        QCoreApplication::exit(CommandLine::ExitCode::SignalBase + signalNumber);
    });
    // The program ends when the window says so: after a failed final save,
    // only once its message has been read.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&form, &MainForm::unloaded, &app, [](int status) { QCoreApplication::exit(status); });
    // 店铺上新 from the window: a scheduled check the runner handed over, and
    // the window's own timer where the desktop keeps no schedule. A check
    // waits its turn behind a 整店采集 walk.
    WatchHandover handover(core.programFolder());
    std::optional<WindowKeptSchedule> schedule;
    if (!form.listsReadOnly()) {
        QObject::connect(&handover, &WatchHandover::requested, &core, [&core] { core.watch().start(); });
        schedule.emplace(core.watchSchedule(), core.settings(), core.watch(), core.log(), core.programFolder());
    }
    form.show();
    form.Form_Load();
    if (!form.listsReadOnly())
        handover.takeWaiting();
    if (start.isDemo()) {
        const bool screenshot = parser.isSet(QStringLiteral("screenshot"));
        if (!screenshot || ScreenshotScenes::showsBatchPanel(*scene))
            form.ShowListCmd_Click();
        core.shop().setShopUrlText(DemoMarketplace::shopAddress());
        core.shop().AllShopBabyUrlAla();
        if (screenshot)
            ScreenshotScenes::take(*scene, form, core, start.demo()->itemAddresses(), parser.value(QStringLiteral("screenshot")));
    }
    return app.exec();
}
