// zorvane-picker-batch: collects the pending list without the window.
#include "download/listing/listing_run.h"
#include "download/save_folder.h"
#include "lists/export/export_items.h"
#include "lists/export/spreadsheet_export.h"
#include "lists/list_commands.h"
#include "platform/desktop/desktop.h"
#include "shell/app/chinese_texts.h"
#include "shell/app/command_line.h"
#include "shell/app/lists_lock.h"
#include "shell/app/program_core.h"
#include "shell/app/program_options.h"
#include "shell/app/termination_signals.h"
#include "shell/app/watch_runner.h"
#include "shell/demo/demo_marketplace.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QStandardPaths>
#include <QWebEngineView>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

// Answers the folder chooser with the folder given on the command line.
class GivenFolder : public FolderPicker
{
public:
    explicit GivenFolder(QString folder) : m_folder(std::move(folder)) {}
    QString BrowseForFolder(const QString &, const QString &) override { return m_folder; }
    // No tabs, no page of the user's: nothing asks for files.
    QStringList chooseFiles(const QString &, const QString &, bool) override { return {}; }
    void chooseSaveFile(const QString &, const QString &, const QString &,
                        std::function<void(const QString &)> done) override
    {
        done(QString());
    }

private:
    QString m_folder;
};

class NoOpener : public Opener
{
public:
    bool openFolder(const QString &) override { return false; }
    bool openAddress(const QString &) override { return false; }
};

using namespace CommandLine::ExitCode;

int checkEnding(const WatchReport &report, WatchCheck::Ending ending)
{
    switch (ending) {
    case WatchCheck::Ending::StartRefused:
        return StartRefused;
    case WatchCheck::Ending::Paused:
        return Paused;
    case WatchCheck::Ending::AtWall:
        return AtVerificationWall;
    case WatchCheck::Ending::Offline:
        return NoNetwork;
    case WatchCheck::Ending::Done:
        break;
    }
    const bool noneRead = !report.shops.isEmpty() && report.unreadCount() == report.shops.size();
    return noneRead ? NoShopRead : Done;
}

} // namespace

int main(int argc, char **argv)
{
    // Headless: the collector's view is shown on the offscreen platform
    // (a page that was never shown gets no scroll events).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    quietQtMessages();
    ProgramOptions program(CommandLine::Program::Runner, argc, argv, {"--disable-gpu"});
    QApplication app(program.appArgc(), program.appArgv());
    const ChineseTexts chinese;
    QApplication::setApplicationName(QStringLiteral("zorvane-picker-batch"));

    QCommandLineParser parser;
    program.addTo(parser);
    if (!parser.parse(program.arguments())) {
        std::fprintf(stderr, "%s\n", parser.errorText().toLocal8Bit().constData());
        return Usage;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(Done);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    bool number = false;
    const int collectors = parser.value(QStringLiteral("collectors")).toInt(&number);
    if (parser.isSet(QStringLiteral("collectors"))
        && (!number || collectors < 1 || collectors > BatchCycle::MaxCollectors)) {
        printLine(stderr, QStringLiteral("--collectors 只能是 1 到 %1 的整数").arg(BatchCycle::MaxCollectors));
        return Usage;
    }
    QString error;
    if (!program.finish(parser, &error)) {
        printLine(stderr, error);
        return Usage;
    }
    const ProgramCore::Options &options = program.coreOptions();
    const WatchRunnerOptions watchOptions;
    // The watched shops' list needs neither the lists nor a browser.
    if (const std::optional<int> code = watchOptions.runListCommand(parser, options.programFolder))
        return *code;
    if (watchOptions.asksForSchedule(parser)) {
        StatusLog log;
        QObject::connect(&log, &StatusLog::lineAdded, [](const QString &line) { printLine(stdout, line); });
        Settings settings(options.programFolder);
        // Queued: a value it cannot read is answered before the event loop runs.
        watchOptions.runSchedule(parser, options.programFolder, program.isDemo(), settings, log, [&app](int code) {
            QMetaObject::invokeMethod(&app, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
        });
        return app.exec();
    }
    printLine(stderr, QStringLiteral("程序目录: ") + options.programFolder);
    if (program.isDemo())
        printLine(stderr, QStringLiteral("演示模式: 图片保存在 ") + program.demoSaveFolder());

    // Two programs collecting one list would take the same items, and the
    // later save would drop the other's changes: the runner leaves the lists
    // (and config.ini) alone while another copy keeps them.
    ListsLock lock(options.programFolder);
    if (lock.acquire() == ListsLock::State::HeldElsewhere) {
        // A scheduled check is not dropped: the window keeping the lists does
        // it, and another runner is waited for.
        if (!watchOptions.asksForCheck(parser)) {
            printLine(stderr, ListsLock::runnerRefusedNotice(options.programFolder));
            return ListsHeldElsewhere;
        }
        if (const std::optional<int> code = watchOptions.waitForLists(lock, parser, options.programFolder))
            return *code;
    }
    ProgramCore core(options);
    if (parser.isSet(QStringLiteral("fast")))
        core.setPace(BatchCycle::Pace::Fast, false);
    if (parser.isSet(QStringLiteral("new-only")))
        core.batch().setSkipDownloaded(true);
    if (parser.isSet(QStringLiteral("collectors")))
        core.batch().setCollectors(collectors);
    QObject::connect(&core.log(), &StatusLog::lineAdded, [](const QString &line) { printLine(stdout, line); });
    core.collectorView().view()->resize(1280, 900);
    core.collectorView().view()->show();
    core.loadLists();

    if (parser.isSet(QStringLiteral("save-folder"))) {
        // A chooser only offers folders that exist; a typed one is made.
        const QString saveFolder = QDir(parser.value(QStringLiteral("save-folder"))).absolutePath();
        if (const std::optional<QString> why = SaveFolder::refusal(saveFolder)) {
            printLine(stderr, QStringLiteral("保存目录设置失败,原因:") + *why);
            return Usage;
        }
        if (!QDir().mkpath(saveFolder)) {
            std::fprintf(stderr, "无法创建保存目录: %s\n", saveFolder.toLocal8Bit().constData());
            return Usage;
        }
        GivenFolder picker(saveFolder);
        NoOpener opener;
        SaveFolder(core.settings(), core.log(), picker, opener).ChooseSaveFolder();
    }
    if (parser.isSet(QStringLiteral("export"))) {
        // Nothing is collected: the downloaded list as it stands goes into the file.
        auto *sheet = new SpreadsheetExport(&app);
        QObject::connect(sheet, &SpreadsheetExport::finished, &app, [&core](bool ok, const QString &message) {
            core.log().AddMesg(message);
            QCoreApplication::exit(ok ? Done : ExportFailed);
        });
        sheet->start(linesToExport(core.lists().AlreadyDownedList()),
                     SpreadsheetExport::xlsxPath(QDir(parser.value(QStringLiteral("export"))).absolutePath()));
        return app.exec();
    }
    if (parser.isSet(QStringLiteral("listing-pictures"))) {
        // Nothing is collected: the downloaded list as it stands gets its 上架图.
        int code = Done;
        QObject::connect(&core.listing(), &ListingRun::itemFinished, &app, [&code](const ListingOutcome &outcome) {
            if (code == Done && (outcome.state != ListingOutcome::State::Made || !outcome.overLimit.isEmpty()))
                code = ListingIncomplete;
        });
        QObject::connect(&core.listing(), &ListingRun::finished, &app, [&code] { QCoreApplication::exit(code); });
        // Items under way stop at their next slice and leave no half folder.
        TerminationSignals stop;
        QObject::connect(&stop, &TerminationSignals::received, &app, [&](int signalNumber) {
            code = SignalBase + signalNumber;
            core.listing().cancel();
        });
        if (core.makeListing(linesToExport(core.lists().AlreadyDownedList())) == 0) {
            core.log().AddMesg(QStringLiteral("上架图:已下载列表中没有宝贝"));
            return Done;
        }
        return app.exec();
    }
    const QStringList added = parser.values(QStringLiteral("add"));
    if (!added.isEmpty())
        ListCommands(core.lists(), core.listFile(), core.log()).queueUrlLines(added.join(QStringLiteral("\r\n")));
    // The lists must reach the file: a run whose last save failed keeps them
    // in a dated copy and says so in its exit code.
    std::function<void(int)> exitAfterSaving;
    bool awaitingListing = false;
    exitAfterSaving = [&](int code) {
        // 上架图 made after each item: the last items' are finished first.
        if (code == Done && core.listing().isRunning()) {
            if (!std::exchange(awaitingListing, true))
                QObject::connect(&core.listing(), &ListingRun::finished, &app, [&] { exitAfterSaving(Done); });
            return;
        }
        if (core.shutDown()) {
            QCoreApplication::exit(code);
            return;
        }
        core.rescueLists(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        QCoreApplication::exit(ListsNotSaved);
    };

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app,
                     [&](int signalNumber) { exitAfterSaving(SignalBase + signalNumber); });
    if (watchOptions.asksForCheck(parser)) {
        // As --new-only: what was downloaded is never collected again.
        core.batch().setSkipDownloaded(true);
        QObject::connect(&core.watch(), &WatchCheck::finished, &app,
                         [&](const WatchReport &report, WatchCheck::Ending ending) { exitAfterSaving(checkEnding(report, ending)); });
        core.watch().start();
        return app.exec();
    }
    BatchCycle &batch = core.batch();
    QObject::connect(&batch, &BatchCycle::idle, &app, [&] { exitAfterSaving(Done); });
    // Nobody is there to wait for the network: the items stay on top for the next run.
    QObject::connect(&batch, &BatchCycle::offlineTooLong, &app, [&] { exitAfterSaving(NoNetwork); });
    // At a verification wall nobody is there to pass the check: the run ends
    // with the item on top of the pending list, for the next run.
    bool walled = false;
    QObject::connect(&batch, &BatchCycle::verificationWall, &app, [&walled] { walled = true; });
    QObject::connect(&batch, &BatchCycle::stopped, &app, [&] {
        if (!core.shop().isRunning())
            exitAfterSaving(walled ? AtVerificationWall : Paused);
    });
    const auto start = [&] {
        batch.StartPickCmd_Click([&](bool started) {
            if (!started)
                exitAfterSaving(StartRefused);
        });
    };
    const QString shop = program.isDemo() && !parser.isSet(QStringLiteral("shop")) ? DemoMarketplace::shopAddress()
                                                                                   : parser.value(QStringLiteral("shop"));
    if (!shop.isEmpty()) {
        QObject::connect(&core.shop(), &ShopDiscovery::finished, &app, [&] {
            if (!batch.isControllerOn())
                start();
        });
        core.shop().setShopUrlText(shop);
        core.shop().AllShopBabyUrlAla();
    } else {
        start();
    }
    return app.exec();
}
