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
// with the same pages without. With --collectors, the fast pace collects
// each profile with each number of collectors at once instead.
#include "pace_runs.h"

#include "platform/web/webengine_setup.h"
#include "shell/demo/demo_pages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

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
        } else {
            serveDeadPage(server, id, deadIndex % 2 == 1);
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

// One profile's queue (fresh pages for every run, so that no cache helps)
// collected at the fast pace by each number of collectors at once.
// With a timeline folder, each run's timeline is written there and its sums printed.
void runCollectors(FixtureServer &server, const Profile &profile, int firstId, int items, const QList<int> &counts,
                   int deadEvery, const QString &key, const QString &timelines)
{
    std::printf("%s, %d items%s, fast pace:\n", profile.name, items,
                deadEvery > 0 ? qPrintable(QStringLiteral(" (every %1th dead)").arg(deadEvery)) : "");
    std::printf("  %-10s %8s %8s %6s %8s %9s %12s\n", "collectors", "s/item", "bound", "ratio", "vs one",
                "pictures", "peak PSS MB");
    double one = 0;
    qint64 onePss = 0;
    for (const int count : counts) {
        const int base = firstId + count * 1000;
        std::vector<LazyDetailPage> good;
        QStringList lines;
        for (int i = 0; i < items; ++i) {
            if (deadEvery > 0 && i % deadEvery == deadEvery / 2) {
                serveDeadPage(server, base + i, (i / deadEvery) % 2 == 1);
            } else {
                good.push_back(servePages(server, base + i, 1, profile).front());
            }
            lines << QStringLiteral("C-%1|%2").arg(base + i).arg(detailPageAddress(base + i));
        }
        const double bound = lowerBound(server, good, 4) / items;
        CollectorTimeline timeline(count, int(std::thread::hardware_concurrency()));
        const PaceRun run = collect(BatchCycle::Pace::Fast, lines, count, timelines.isEmpty() ? nullptr : &timeline);
        server.releaseStalls();
        const double perItem = run.seconds / items;
        if (count == counts.first()) {
            one = perItem;
            onePss = run.peakPssKb;
        }
        std::printf("  %-10d %8.3f %8.3f %6.2f %8.2f %4d/%-4d %7.0f (%+.0f)\n", count, perItem, bound, perItem / bound,
                    perItem / one, run.descPictures, int(good.size()) * DescPictures, double(run.peakPssKb) / 1024,
                    double(run.peakPssKb - onePss) / 1024);
        if (!timelines.isEmpty()) {
            std::printf("%s", qPrintable(timeline.report(QStringLiteral("      "))));
            QFile file(QDir(timelines).filePath(QStringLiteral("%1-%2.tsv").arg(key).arg(count)));
            if (!file.open(QIODevice::WriteOnly) || file.write(timeline.lines().toUtf8()) < 0)
                std::printf("      timeline not written: %s\n", qPrintable(file.errorString()));
        }
        std::fflush(stdout);
    }
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
    const QCommandLineOption collectorsOption(
        QStringLiteral("collectors"),
        QStringLiteral("Numbers of collectors at once, e.g. 1,2,3,4: the fast pace on every profile (quick, slow, "
                       "redirect, dead: every 12th page dead) with each."),
        QStringLiteral("LIST"));
    parser.addOption(itemsOption);
    parser.addOption(fastOnly);
    parser.addOption(profileOption);
    const QCommandLineOption timelineOption(
        QStringLiteral("timeline"),
        QStringLiteral("With --collectors: each run's timeline (every collector's steps, the process tree's CPU) "
                       "written to FOLDER/PROFILE-N.tsv, and its sums printed."),
        QStringLiteral("FOLDER"));
    parser.addOption(collectorsOption);
    parser.addOption(timelineOption);
    QStringList own;
    for (int i = 0; i < argc; ++i)
        own << QString::fromLocal8Bit(argv[i]);
    parser.process(own);
    const int items = std::max(1, parser.value(itemsOption).toInt());
    const QString only = parser.value(profileOption);

    std::printf("lazy pages of about %d px, %d main and %d description pictures each, the description in 3 chunks\n\n",
                PageHeight, MainPictures, DescPictures);
    if (parser.isSet(collectorsOption)) {
        QList<int> counts;
        for (const QString &n : parser.value(collectorsOption).split(QLatin1Char(',')))
            counts << std::clamp(n.toInt(), 1, BatchCycle::MaxCollectors);
        Profile redirecting = Quick;
        redirecting.name = "50 ms answers, a fetch through a 302 every 3 s";
        redirecting.redirectPollMs = 3000;
        const Profile dead{"answers 20-150 ms late, pages dead", 50, {20, 150}, {20, 150}};
        const struct { const char *key; const Profile &profile; int deadEvery; } runs[] = {
            {"quick", Quick, 0}, {"slow", SlowDescription, 0}, {"redirect", redirecting, 0}, {"dead", dead, 12}};
        const QString timelines = parser.value(timelineOption);
        if (!timelines.isEmpty())
            QDir().mkpath(timelines);
        int first = 20000;
        for (const auto &r : runs) {
            if (only.isEmpty() || only == QLatin1String(r.key))
                runCollectors(server, r.profile, first, items, counts, r.deadEvery, QString::fromLatin1(r.key),
                              timelines);
            first += 10000;
        }
        return 0;
    }
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
