#include "pace_runs.h"

#include "process_cpu.h"
#include "process_memory.h"

#include "lists/item_lines.h"
#include "platform/net/http_fetcher.h"
#include "platform/web/webengine_page_document.h"
#include "shell/app/program_core.h"
#include "shell/demo/demo_pages.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <unistd.h>

#include <cstdio>
#include <memory>

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

PaceRun collect(BatchCycle::Pace pace, const QStringList &lines, int collectors, CollectorTimeline *timeline)
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
    core.batch().setCollectors(collectors);
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
    TreeCpu cpu{int(getpid())};
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &core, [&] {
        run.peakPssKb = std::max(run.peakPssKb, treeMemory(int(getpid()), "Pss:"));
        if (timeline) {
            const TreeCpu::Sample used = cpu.sample();
            timeline->cpu(used.cores, used.busiest, used.busiestName, clock.elapsed());
        }
    });
    sampler.start(100);
    clock.start();
    if (timeline)
        timeline->follow(core.batch(), core.lists().readyDownList(), [&clock] { return clock.elapsed(); });
    core.batch().StartPickCmd_Click();
    runUntil([&] { return idle; });
    run.seconds = double(clock.elapsed()) / 1000;
    if (timeline)
        timeline->finish(clock.elapsed());
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

namespace {

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

} // namespace

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


void serveDeadPage(FixtureServer &server, int id, bool hung)
{
    if (!hung) {
        LocalWebServer::Response never = LocalWebServer::page(QStringLiteral("<html></html>"));
        never.stall = true;
        server.route(QStringLiteral("detail.zorvane.com/offer/%1.html").arg(id), never);
        return;
    }
    DetailPage page;
    page.title = QStringLiteral("卡死");
    page.headHtml = QStringLiteral("<script>while (true) {}</script>");
    servePage(server, detailPageAddress(id), detailPageHtml(page));
}
