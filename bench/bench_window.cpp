// The window through a demo run: event-loop stalls and memory.
//
// Run without arguments (under xvfb-run, or on a desktop). It starts itself
// twice as child processes, one after the other:
//   --mode bare:   a bare WebEngine program showing one demo item page,
//   --mode window: zorvane-picker's MainForm collecting the demo shop of N
//                  items (default 10) with the program's timer intervals.
// While each child runs, the parent samples the memory of its whole process
// tree (Chromium's helper processes included) and keeps the peak: the
// proportional set size (PSS, shared pages split between the processes that
// share them), the plain sum of resident sets (RSS, shared library pages
// counted once per process) and the program's own process alone. The window
// child measures how late a 10 ms timer fires (the event loop's stalls) and,
// at the end, what adding one line costs once the status log holds 10,000.
#include "process_memory.h"
#include "stall_meter.h"
#include "collection/batch/batch_cycle.h"
#include "collection/status_log.h"
#include "platform/desktop/desktop_services.h"
#include "shell/app/program_core.h"
#include "shell/app/program_options.h"
#include "shell/browser/another_copy.h"
#include "shell/demo/demo_marketplace.h"
#include "shell/window/main/dialog_prompts.h"
#include "shell/window/main/main_form.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {


// The child's argv as ProgramOptions wants it: the demo marketplace on.
struct ChildStart
{
    explicit ChildStart(const char *argv0)
    {
        args = {argv0, "--demo"};
        for (std::string &a : args)
            argv.push_back(a.data());
        argc = int(argv.size());
        argv.push_back(nullptr);
        options = std::make_unique<ProgramOptions>(CommandLine::Program::Window, argc, argv.data(), std::vector<std::string>{});
    }
    bool finish()
    {
        QCommandLineParser parser;
        options->addTo(parser);
        QString error;
        if (parser.parse(options->arguments()) && options->finish(parser, &error))
            return true;
        printLine(stderr, error);
        return false;
    }
    std::vector<std::string> args;
    std::vector<char *> argv;
    int argc = 0;
    std::unique_ptr<ProgramOptions> options;
};

int runBare(const char *argv0)
{
    ChildStart start(argv0);
    QApplication app(start.options->appArgc(), start.options->appArgv());
    if (!start.finish())
        return 1;
    QWebEngineView view;
    view.resize(1200, 700);
    view.show();
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&view] {
        // Down to the description, so that its pictures arrive as in the window.
        view.page()->runJavaScript(QStringLiteral("window.scrollTo(0, document.body.scrollHeight)"));
        QTimer::singleShot(8000, &view, [] { QCoreApplication::quit(); });
    });
    view.load(QUrl(start.options->demo()->itemAddresses().first()));
    return app.exec();
}

int runWindow(const char *argv0, int items, const BatchCycle::Intervals &intervals)
{
    ChildStart start(argv0);
    QApplication app(start.options->appArgc(), start.options->appArgv());
    if (!start.finish())
        return 1;
    start.options->demo()->serve(items);
    ProgramCore::Options options = start.options->coreOptions();
    options.intervals = intervals;
    ProgramCore core(options);
    DialogFolderPicker folders;
    DialogPrompts prompts;
    DesktopOpener opener;
    DetachedProcessStarter starter;
    MainForm form(core, {folders, prompts, opener, starter, QDir::tempPath()});
    form.resize(1200, 760);
    form.show();
    form.Form_Load();
    form.ShowListCmd_Click();
    QElapsedTimer run;
    run.start();
    core.shop().setShopUrlText(DemoMarketplace::shopAddress());
    core.shop().AllShopBabyUrlAla();
    StallMeter meter;
    QObject::connect(&core.batch(), &BatchCycle::idle, &app, [&] {
        if (core.lists().AlreadyDownedList().count() < items)
            return;
        const double seconds = run.elapsed() / 1000.0;
        StatusLog &log = core.log();
        while (log.lineCount() < 10000)
            log.AddMesg(QStringLiteral("填充日志行,让状态日志达到一万行"));
        constexpr int Added = 2000;
        QElapsedTimer adding;
        adding.start();
        for (int i = 0; i < Added; ++i)
            log.AddMesg(QStringLiteral("一万行之后再加的一行 %1").arg(i));
        const double perLineUs = adding.nsecsElapsed() / 1000.0 / Added;
        std::printf("items %d seconds %.1f ticks %zu longest_stall_ms %.1f p99_stall_ms %.1f log_line_us %.1f\n",
                    int(core.lists().AlreadyDownedList().count()), seconds, meter.ticks(), meter.longest(),
                    meter.percentile99(), perLineUs);
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return app.exec();
}

struct Peak
{
    qint64 mainRssKb = 0; // the program's own process
    qint64 rssKb = 0;
    qint64 pssKb = 0;
    QString output;
    int exitCode = -1;
};

// Runs the bench itself in the given mode and samples its process tree's memory.
Peak runChild(const QStringList &arguments)
{
    Peak peak;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QTimer sampler;
    sampler.setInterval(100);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        qint64 rss = 0, pss = 0;
        for (int pid : processTree(int(child.processId()))) {
            rss += rollup(pid, "Rss:");
            pss += rollup(pid, "Pss:");
        }
        peak.rssKb = std::max(peak.rssKb, rss);
        peak.mainRssKb = std::max(peak.mainRssKb, rollup(int(child.processId()), "Rss:"));
        peak.pssKb = std::max(peak.pssKb, pss);
    });
    QObject::connect(&child, &QProcess::started, &sampler, qOverload<>(&QTimer::start));
    QObject::connect(&child, &QProcess::finished, [&](int code) {
        sampler.stop();
        peak.exitCode = code;
        peak.output = QString::fromLocal8Bit(child.readAllStandardOutput());
        QCoreApplication::quit();
    });
    child.start(QCoreApplication::applicationFilePath(), arguments);
    QCoreApplication::exec();
    return peak;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList own;
    for (int i = 0; i < argc; ++i)
        own << QString::fromLocal8Bit(argv[i]);
    const qsizetype mode = own.indexOf(QStringLiteral("--mode"));
    const QString childMode = mode > 0 ? own.value(mode + 1) : QString();
    const qsizetype itemsAt = own.indexOf(QStringLiteral("--items"));
    const int items = itemsAt > 0 ? own.value(itemsAt + 1).toInt() : 10;
    const qsizetype intervalsAt = own.indexOf(QStringLiteral("--intervals"));
    const QStringList intervalText =
        intervalsAt > 0 ? own.value(intervalsAt + 1).split(u',') : QStringList{QStringLiteral("2000"), QStringLiteral("1000")};
    const BatchCycle::Intervals intervals{intervalText.value(0).toInt(), intervalText.value(1).toInt()};

    quietQtMessages();
    if (childMode == QLatin1String("bare"))
        return runBare(argv[0]);
    if (childMode == QLatin1String("window"))
        return runWindow(argv[0], std::max(items, 1), intervals);

    QCoreApplication app(argc, argv);
    std::printf("bench_window: %d items, intervals %d/%d ms\n", items, intervals.controllerMs, intervals.scrollerMs);
    std::fflush(stdout);
    const Peak bare = runChild({QStringLiteral("--mode"), QStringLiteral("bare")});
    const Peak window = runChild({QStringLiteral("--mode"), QStringLiteral("window"), QStringLiteral("--items"),
                                  QString::number(items), QStringLiteral("--intervals"),
                                  QStringLiteral("%1,%2").arg(intervals.controllerMs).arg(intervals.scrollerMs)});
    if (bare.exitCode != 0 || window.exitCode != 0) {
        std::printf("a child failed: bare %d, window %d\n", bare.exitCode, window.exitCode);
        return 1;
    }
    std::printf("window run: %s", qPrintable(window.output));
    std::printf("peak PSS of the process tree: window %.0f MB, bare WebEngine page %.0f MB, ratio %.2f\n",
                window.pssKb / 1024.0, bare.pssKb / 1024.0, double(window.pssKb) / double(std::max<qint64>(bare.pssKb, 1)));
    std::printf("peak RSS of the process tree: window %.0f MB, bare WebEngine page %.0f MB, ratio %.2f\n",
                window.rssKb / 1024.0, bare.rssKb / 1024.0, double(window.rssKb) / double(std::max<qint64>(bare.rssKb, 1)));
    std::printf("peak RSS of the program's own process: window %.0f MB, bare WebEngine page %.0f MB, ratio %.2f\n",
                window.mainRssKb / 1024.0, bare.mainRssKb / 1024.0,
                double(window.mainRssKb) / double(std::max<qint64>(bare.mainRssKb, 1)));
    return 0;
}
