// Seconds per item of the two collection paces against the network's lower
// bound, in one run, on answer-time profiles of a busy marketplace. A local
// marketplace serves lazy detail pages (about 12,000 px high, 20 pictures,
// the description in three chunks that the page asks for as the reader nears
// its end); the runner's code (ProgramCore and its batch cycle, real timer
// intervals) collects them at each pace. The lower bound is measured in the
// same run: loading each page, its chunks one after another as the page asks
// for them, and its pictures over the pace's connections, with no scrolling
// and no timers. A last figure runs 60 items with 5 dead pages among them at
// the fast pace and prints what each dead page cost. The redirect profile
// compares the fast pace on pages that also fetch through a 302 every 3 s
// with the same pages without.
#include "fixture_server.h"
#include "lazy_pages.h"

#include "lists/item_lines.h"
#include "platform/http_fetcher.h"
#include "platform/webengine_page_document.h"
#include "platform/webengine_setup.h"
#include "shell/app/program_core.h"
#include "shell/demo/demo_pages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
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

struct Profile
{
    const char *name;
    int pageMs;
    Lateness chunks;
    Lateness pictures;
    int redirectPollMs = 0;
};

const Profile Quick{"50 ms answers", 50, {50, 50}, {50, 50}};
const Profile SlowDescription{"slow description (chunks 0.3-1.5 s, pictures 20-300 ms)", 50, {300, 1500}, {20, 300}};

struct PaceRun
{
    double seconds = 0;      // the whole queue, start to idle
    double timerSeconds = 0; // scroller ticks and controller waits (standard pace)
    int descPictures = 0;    // description pictures saved, all items
    QHash<QString, double> deadSeconds; // item number: from its load to its rejection
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

PaceRun collect(BatchCycle::Pace pace, const QStringList &lines)
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
    for (const QString &line : lines)
        core.lists().readyDownList().append(line);

    PaceRun run;
    QElapsedTimer clock;
    qint64 itemEnded = -1;
    int ticks = 0;
    QHash<QString, qint64> loadStarted;
    QObject::connect(&core.log(), &StatusLog::lineAdded, &core, [&](const QString &line) {
        const QString message = line.section(QLatin1Char(' '), 2);
        if (qEnvironmentVariableIsSet("BENCH_TRACE"))
            std::printf("%6lld %s\n", (long long)clock.elapsed(), qPrintable(message));
        const QString itemNo = message.section(QStringLiteral("采集中:"), 0, 0);
        if (message.contains(QStringLiteral("采集中:图片地址分析中...")))
            ++ticks;
        if (message.contains(QStringLiteral("采集中:加载_"))) {
            loadStarted.insert(itemNo, clock.elapsed());
            if (itemEnded >= 0)
                run.timerSeconds += double(clock.elapsed() - itemEnded) / 1000; // the controller's wait
        }
        if (message.contains(QStringLiteral("采集中:本次采集结束_")))
            run.deadSeconds.insert(itemNo, double(clock.elapsed() - loadStarted.value(itemNo)) / 1000);
        if (message.contains(QStringLiteral("采集中:采集成功")) || message.contains(QStringLiteral("采集中:本次采集结束_")))
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
    const int items = core.lists().AlreadyDownedList().count();
    run.timerSeconds += double(ticks + items) * options.intervals.scrollerMs / 1000;
    for (const QString &line : core.lists().AlreadyDownedList().entries())
        run.descPictures += int(QDir(DownloadedLine::parse(line).folder + QStringLiteral("/描述图"))
                                    .entryList(QDir::Files)
                                    .size());
    return run;
}

// Fetches `addresses` over `connections` at once; returns when all are done.
void fetchAll(const QStringList &addresses, std::vector<std::unique_ptr<HttpFetcher>> &fetchers, const QString &folder)
{
    int next = 0, done = 0;
    std::function<void(HttpFetcher &)> fetchNext = [&](HttpFetcher &fetcher) {
        if (next >= addresses.size())
            return;
        const int i = next++;
        fetcher.FetchToFile(addresses.at(i), QDir(folder).filePath(QString::number(i)), [&](const FetchResult &) {
            ++done;
            fetchNext(fetcher);
        });
    };
    for (auto &fetcher : fetchers)
        fetchNext(*fetcher);
    runUntil([&] { return done == addresses.size(); });
}

// Loading each page, its chunks one after another and its pictures over
// `connections`: what a pace with that many connections cannot go below.
// Seconds for all the pages together.
double lowerBound(const FixtureServer &server, const std::vector<LazyDetailPage> &pages, int connections)
{
    QTemporaryDir folder;
    WebEnginePageDocument view(60000);
    view.view()->resize(1280, 900);
    view.view()->show();
    std::vector<std::unique_ptr<HttpFetcher>> fetchers;
    for (int i = 0; i < std::max(1, connections); ++i)
        fetchers.push_back(std::make_unique<HttpFetcher>());
    std::vector<std::unique_ptr<HttpFetcher>> one;
    one.push_back(std::make_unique<HttpFetcher>());
    QElapsedTimer clock;
    clock.start();
    for (const LazyDetailPage &page : pages) {
        bool loaded = false;
        QObject::connect(&view, &PageDocument::loadEnded, &view, [&] { loaded = true; }, Qt::SingleShotConnection);
        view.Navigate(detailPageAddress(page.id));
        runUntil([&] { return loaded; });
        for (const QString &chunk : page.chunkPaths)
            fetchAll({server.base() + chunk}, one, folder.path());
        QStringList addresses = page.mainImages;
        for (const LazyDetailPage::Picture &picture : page.descImages)
            addresses << picture.address;
        fetchAll(addresses, fetchers, folder.path());
    }
    return double(clock.elapsed()) / 1000;
}

std::vector<LazyDetailPage> servePages(FixtureServer &server, int firstId, int count, const Profile &profile)
{
    std::vector<LazyDetailPage> pages;
    for (int i = 0; i < count; ++i) {
        LazyServing serving;
        serving.height = PageHeight;
        serving.mainCount = MainPictures;
        serving.descCount = DescPictures;
        serving.pageDelayMs = profile.pageMs;
        serving.chunks = profile.chunks;
        serving.pictures = profile.pictures;
        serving.redirectPollMs = profile.redirectPollMs;
        pages.push_back(serveLazyItem(server, firstId + i, serving));
    }
    return pages;
}

QStringList linesFor(const std::vector<LazyDetailPage> &pages)
{
    QStringList lines;
    for (const LazyDetailPage &page : pages)
        lines << QStringLiteral("B-%1|%2").arg(page.id).arg(detailPageAddress(page.id));
    return lines;
}

void runProfile(FixtureServer &server, const Profile &profile, int firstId, int items, bool fastOnly)
{
    const std::vector<LazyDetailPage> pages = servePages(server, firstId, items, profile);
    const int present = items * DescPictures;
    std::printf("%s, %d items:\n", profile.name, items);
    const double fastBound = lowerBound(server, pages, 4) / items;
    const PaceRun fast = collect(BatchCycle::Pace::Fast, linesFor(pages));
    std::printf("  fast pace:     %7.3f s per item; lower bound (page, chunks, pictures 4 at a time) %.3f s: %.2f x; "
                "%d/%d description pictures\n",
                fast.seconds / items, fastBound, fast.seconds / items / fastBound, fast.descPictures, present);
    std::fflush(stdout);
    if (fastOnly)
        return;
    const double standardBound = lowerBound(server, pages, 1) / items;
    const PaceRun standard = collect(BatchCycle::Pace::Standard, linesFor(pages));
    const double budget = standard.timerSeconds / items + standardBound;
    std::printf("  standard pace: %7.3f s per item; lower bound (page, chunks, pictures one at a time) %.3f s; "
                "%d/%d description pictures\n",
                standard.seconds / items, standardBound, standard.descPictures, present);
    std::printf("    its timer budget %.3f s + its lower bound = %.3f s per item: %+.1f%%; the fast pace is %.1f x faster\n",
                standard.timerSeconds / items, budget, (standard.seconds / items / budget - 1) * 100,
                standard.seconds / fast.seconds);
    std::fflush(stdout);
}

// The fast pace on the same pages with and without a fetch through a 302
// every 3 s: the chain's hops must not hold an item.
void runRedirectProfile(FixtureServer &server, int firstId, int items)
{
    std::printf("50 ms answers, the fast pace with and without a fetch through a 302 every 3 s, %d items:\n", items);
    double perItem[2] = {0, 0};
    for (const int redirecting : {0, 1}) {
        Profile profile = Quick;
        profile.redirectPollMs = redirecting ? 3000 : 0;
        const std::vector<LazyDetailPage> pages = servePages(server, firstId + redirecting * items, items, profile);
        const PaceRun run = collect(BatchCycle::Pace::Fast, linesFor(pages));
        perItem[redirecting] = run.seconds / items;
        std::printf("  %-12s %7.3f s per item; %d/%d description pictures\n", redirecting ? "redirecting:" : "plain:",
                    perItem[redirecting], run.descPictures, items * DescPictures);
    }
    std::printf("  redirecting / plain: %.2f x\n", perItem[1] / perItem[0]);
    std::fflush(stdout);
}

// 60 items at the fast pace, five of them dead: three pages that never send
// an answer and two whose script never returns.
void runShopWithDeadPages(FixtureServer &server, int firstId)
{
    constexpr int Items = 60;
    const QList<int> dead{7, 19, 31, 43, 55};
    const Profile shop{"", 50, {20, 150}, {20, 150}};
    std::vector<LazyDetailPage> good;
    QStringList lines;
    for (int i = 0; i < Items; ++i) {
        const int id = firstId + i;
        const int deadIndex = int(dead.indexOf(i));
        if (deadIndex < 0) {
            good.push_back(servePages(server, id, 1, shop).front());
        } else if (deadIndex % 2 == 0) {
            LocalWebServer::Response never = LocalWebServer::page(QStringLiteral("<html></html>"));
            never.stall = true;
            server.route(QStringLiteral("detail.zorvane.com/offer/%1.html").arg(id), never);
        } else {
            DetailPage hung;
            hung.title = QStringLiteral("卡死");
            hung.headHtml = QStringLiteral("<script>while (true) {}</script>");
            servePage(server, detailPageAddress(id), detailPageHtml(hung));
        }
        lines << QStringLiteral("店#%1|%2").arg(i + 1).arg(detailPageAddress(id));
    }
    std::printf("a shop of %d items at the fast pace, %d of them dead (pages answering 20-150 ms late):\n", Items,
                int(dead.size()));
    const double bound = lowerBound(server, good, 4);
    const PaceRun run = collect(BatchCycle::Pace::Fast, lines);
    server.releaseStalls();
    for (const int i : dead) {
        const QString itemNo = QStringLiteral("店#%1").arg(i + 1);
        std::printf("  dead page %-6s (%s): %.1f s\n", qPrintable(itemNo),
                    dead.indexOf(i) % 2 == 0 ? "never answers" : "script never returns", run.deadSeconds.value(itemNo));
    }
    std::printf("  whole run %.1f s; lower bound of its %d good items %.1f s: %.2f x; %d/%d description pictures\n",
                run.seconds, int(good.size()), bound, run.seconds / bound, run.descPictures,
                int(good.size()) * DescPictures);
    std::fflush(stdout);
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
    const QCommandLineOption itemsOption(QStringLiteral("items"), QStringLiteral("Items per pace and profile."),
                                         QStringLiteral("N"), QStringLiteral("10"));
    const QCommandLineOption fastOnly(QStringLiteral("fast-only"), QStringLiteral("Skip the standard pace."));
    const QCommandLineOption profileOption(QStringLiteral("profile"),
                                           QStringLiteral("quick, slow, redirect or shop; all when not given."),
                                           QStringLiteral("NAME"));
    parser.addOption(itemsOption);
    parser.addOption(fastOnly);
    parser.addOption(profileOption);
    QStringList own;
    for (int i = 0; i < argc; ++i)
        own << QString::fromLocal8Bit(argv[i]);
    parser.process(own);
    const int items = std::max(1, parser.value(itemsOption).toInt());
    const QString only = parser.value(profileOption);

    std::printf("lazy pages of about %d px, %d main and %d description pictures each, the description in 3 chunks\n\n",
                PageHeight, MainPictures, DescPictures);
    if (only.isEmpty() || only == QLatin1String("quick"))
        runProfile(server, Quick, 9001, items, parser.isSet(fastOnly));
    if (only.isEmpty() || only == QLatin1String("slow"))
        runProfile(server, SlowDescription, 9501, items, parser.isSet(fastOnly));
    if (only.isEmpty() || only == QLatin1String("redirect"))
        runRedirectProfile(server, 9301, items);
    if (only.isEmpty() || only == QLatin1String("shop"))
        runShopWithDeadPages(server, 9801);
    return 0;
}
