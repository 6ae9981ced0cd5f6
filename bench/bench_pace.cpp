// Seconds per item of the two collection paces against the network's lower
// bound, in one run. A local marketplace serves N lazy detail pages (about
// 12,000 px high, 20 pictures each, every request answered 50 ms late); the
// runner's code (ProgramCore and its batch cycle, real timer intervals)
// collects them at each pace. Each pace's lower bound is measured in the
// same run: loading each page and fetching its pictures over the pace's
// connections (one at the standard pace, four at the fast one), with no
// scrolling and no timers.
#include "fixture_server.h"
#include "lazy_pages.h"

#include "lists/item_lines.h"
#include "platform/http_fetcher.h"
#include "platform/webengine_page_document.h"
#include "platform/webengine_setup.h"
#include "shell/program_core.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int PageHeight = 12000;
constexpr int MainPictures = 5;
constexpr int DescPictures = 15;
constexpr int DelayMs = 50;
constexpr int FirstItem = 9001;

struct PaceRun
{
    double seconds = 0;     // the whole queue, start to idle
    double timerSeconds = 0; // scroller ticks and controller waits (standard pace)
    int descPictures = 0;   // description pictures saved, all items
    int items = 0;
};

// Runs the event loop until `done` holds.
void runUntil(const std::function<bool()> &done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    loop.exec();
}

PaceRun collect(BatchCycle::Pace pace, int items)
{
    QTemporaryDir folder;
    ProgramCore::Options options;
    options.programFolder = folder.path();
    options.marketplace.checkHost = QStringLiteral("127.0.0.1");
    ProgramCore core(options);
    const QString output = QDir(folder.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(output);
    core.settings().SaveConfigValue(QStringLiteral("PicOutPutPath"), output);
    core.setPace(pace, false);
    core.collectorView().view()->resize(1280, 900);
    core.collectorView().view()->show();
    for (int i = 0; i < items; ++i)
        core.lists().readyDownList().append(QStringLiteral("B-%1|%2").arg(i + 1).arg(
            QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(FirstItem + i)));

    PaceRun run;
    QElapsedTimer clock;
    qint64 itemEnded = -1;
    int ticks = 0;
    QObject::connect(&core.log(), &StatusLog::lineAdded, &core, [&](const QString &line) {
        if (qEnvironmentVariableIsSet("BENCH_TRACE"))
            std::printf("%6lld %s\n", (long long)clock.elapsed(), qPrintable(line.section(QLatin1Char(' '), 2)));
        if (line.contains(QStringLiteral("采集中:图片地址分析中...")))
            ++ticks;
        if (line.contains(QStringLiteral("采集中:加载_")) && itemEnded >= 0)
            run.timerSeconds += double(clock.elapsed() - itemEnded) / 1000; // the controller's wait
        if (line.contains(QStringLiteral("采集中:采集成功")))
            itemEnded = clock.elapsed();
    });
    bool idle = false;
    QObject::connect(&core.batch(), &BatchCycle::idle, &core, [&] {
        if (itemEnded >= 0)
            run.timerSeconds += double(clock.elapsed() - itemEnded) / 1000;
        idle = true;
    });
    clock.start();
    core.batch().StartPickCmd_Click();
    runUntil([&] { return idle; });
    run.seconds = double(clock.elapsed()) / 1000;
    // Every progress line but the last stands for one scroller tick, and one
    // more tick found the end.
    run.timerSeconds += double(ticks + items) * options.intervals.scrollerMs / 1000;
    run.items = core.lists().AlreadyDownedList().count();
    for (const QString &line : core.lists().AlreadyDownedList().entries())
        run.descPictures += int(QDir(DownloadedLine::parse(line).folder + QStringLiteral("/描述图"))
                                    .entryList(QDir::Files)
                                    .size());
    return run;
}

// Loading each page and fetching its pictures over `connections`: what a
// pace with that many connections cannot go below.
double lowerBound(const std::vector<LazyDetailPage> &pages, int connections)
{
    QTemporaryDir folder;
    WebEnginePageDocument view(60000);
    view.view()->resize(1280, 900);
    view.view()->show();
    std::vector<std::unique_ptr<HttpFetcher>> fetchers;
    for (int i = 0; i < connections; ++i)
        fetchers.push_back(std::make_unique<HttpFetcher>());
    QElapsedTimer clock;
    clock.start();
    for (size_t p = 0; p < pages.size(); ++p) {
        bool loaded = false;
        QObject::connect(&view, &PageDocument::loadEnded, &view, [&] { loaded = true; }, Qt::SingleShotConnection);
        view.Navigate(QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(FirstItem + int(p)));
        runUntil([&] { return loaded; });
        QStringList addresses = pages[p].mainImages;
        for (const LazyDetailPage::Picture &picture : pages[p].descImages)
            addresses << picture.address;
        int next = 0, done = 0;
        std::function<void(HttpFetcher &)> fetchNext = [&](HttpFetcher &fetcher) {
            if (next >= addresses.size())
                return;
            const int i = next++;
            fetcher.FetchToFile(addresses.at(i), folder.filePath(QString::number(i)), [&](const FetchResult &) {
                ++done;
                fetchNext(fetcher);
            });
        };
        for (auto &fetcher : fetchers)
            fetchNext(*fetcher);
        runUntil([&] { return done == addresses.size(); });
    }
    return double(clock.elapsed()) / 1000 / double(pages.size());
}

} // namespace

int main(int argc, char **argv)
{
    // Chromium reads its flags once: the server's port must be known first.
    FixtureServer server;
    std::vector<std::string> args = webEngineTestArguments(argv[0], server.port());
    std::vector<char *> webArgv;
    for (std::string &a : args)
        webArgv.push_back(a.data());
    int webArgc = int(webArgv.size());
    webArgv.push_back(nullptr);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    prepareWebEngineEnvironment();
    QApplication app(webArgc, webArgv.data());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Seconds per item of both collection paces and the lower bound."));
    parser.addHelpOption();
    const QCommandLineOption itemsOption(QStringLiteral("items"), QStringLiteral("Items per pace."),
                                         QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption fastOnly(QStringLiteral("fast-only"), QStringLiteral("Skip the standard pace."));
    parser.addOption(itemsOption);
    parser.addOption(fastOnly);
    QStringList own;
    for (int i = 0; i < argc; ++i)
        own << QString::fromLocal8Bit(argv[i]);
    parser.process(own);
    const int items = std::max(1, parser.value(itemsOption).toInt());

    std::vector<LazyDetailPage> pages;
    for (int i = 0; i < items; ++i)
        pages.push_back(serveLazyItem(server, FirstItem + i, PageHeight, MainPictures, DescPictures, DelayMs));
    std::printf("%d items: lazy pages of about %d px, %d main and %d description pictures each, "
                "every request answered %d ms late\n\n",
                items, PageHeight, MainPictures, DescPictures, DelayMs);
    std::fflush(stdout);

    const double fastBound = lowerBound(pages, 4);
    const PaceRun fast = collect(BatchCycle::Pace::Fast, items);
    std::printf("fast pace:     %7.3f s per item; lower bound (page, pictures 4 at a time) %.3f s: %.2f x; "
                "%d/%d description pictures\n",
                fast.seconds / items, fastBound, fast.seconds / items / fastBound, fast.descPictures,
                items * DescPictures);
    std::fflush(stdout);
    if (parser.isSet(fastOnly))
        return 0;
    const double standardBound = lowerBound(pages, 1);
    const PaceRun standard = collect(BatchCycle::Pace::Standard, items);
    const double budget = standard.timerSeconds / items + standardBound;
    std::printf("standard pace: %7.3f s per item; lower bound (page, pictures one at a time) %.3f s; "
                "%d/%d description pictures\n",
                standard.seconds / items, standardBound, standard.descPictures, items * DescPictures);
    std::printf("  its timer budget %.3f s + its lower bound = %.3f s per item: %+.1f%%\n",
                standard.timerSeconds / items, budget, (standard.seconds / items / budget - 1) * 100);
    std::printf("fast pace is %.1f x faster than the standard pace\n", standard.seconds / fast.seconds);
    return 0;
}
