// Seconds, pages and memory of one check of the watched shops, run as the
// schedule runs it: zorvane-picker-batch --watch in a process of its own,
// against a local marketplace of 20 shops of 300 items each that answers
// every page 50 ms late. For each number of views (同时采集, the shops read
// side by side), on a marketplace and a program folder of its own, three
// checks in a row: the first (it records what the shops hold), one with
// nothing new, and one after 2 items were put up in every shop (they are
// collected at the pace given by as many collectors). Pages loaded are the
// marketplace's count of offer-list and item pages asked for; peak memory is
// the runner's process tree (Chromium's helpers included), sampled every 100 ms.
#include "process_memory.h"

#include "platform/net/local_web_server.h"
#include "platform/files/text_file.h"
#include "platform/web/webengine_setup.h"
#include "shell/demo/demo_pages.h"
#include "shop/watch_list.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Shops = 20;
constexpr int ItemsPerShop = 300;
constexpr int PerPage = 60; // offers on one list page
constexpr int LateMs = 50;

struct CheckRun
{
    double seconds = 0;
    int listPages = 0;
    int itemPages = 0;
    qint64 peakPssKb = 0;
    int exitCode = -1;
};

QString shopName(int s) { return QStringLiteral("benchshop%1").arg(s); }
int itemId(int s, int k) { return 500000 + s * 1000 + k; }

void serveLate(LocalWebServer &server, const QString &address, const QString &html)
{
    LocalWebServer::Response r = LocalWebServer::page(html);
    r.delayMs = LateMs;
    const QUrl url(address);
    server.route(url.host() + url.path() + (url.hasQuery() ? QLatin1Char('?') + url.query() : QString()), r);
}

// Each shop's list, newest first, `added` new items on top of the 300.
void serveShops(LocalWebServer &server, int added)
{
    for (int s = 0; s < Shops; ++s) {
        QStringList links;
        for (int k = ItemsPerShop + added - 1; k >= 0; --k)
            links << detailPageAddress(itemId(s, k));
        int page = 1;
        for (qsizetype i = 0; i < links.size(); i += PerPage, ++page)
            serveLate(server, shopOfferListAddress(shopName(s), page),
                      shopOfferListHtml({QStringLiteral("第%1页").arg(page), links.mid(i, PerPage)}));
        serveLate(server, shopOfferListAddress(shopName(s), page), shopOfferListHtml({QStringLiteral("空页"), {}}));
    }
}

void serveItem(LocalWebServer &server, int id)
{
    const QString n = QString::number(id);
    DetailPage item;
    item.title = QStringLiteral("上新宝贝") + n;
    item.height = 3000;
    item.mainImages = {imageAddress(server, n + QStringLiteral("-m1.jpg")), imageAddress(server, n + QStringLiteral("-m2.jpg"))};
    item.descImages = {imageAddress(server, n + QStringLiteral("-d1.jpg")), imageAddress(server, n + QStringLiteral("-d2.jpg"))};
    item.attributes = {{QStringLiteral("货号"), QStringLiteral("BW-") + n}};
    servePictures(server, item.mainImages, 640, 640);
    servePictures(server, item.descImages, 750, 300);
    serveLate(server, detailPageAddress(id), detailPageHtml(item));
}

int listHits(const LocalWebServer &server)
{
    int hits = 0;
    for (int page = 1; page <= ItemsPerShop / PerPage + 2; ++page)
        hits += server.hits(QStringLiteral("/page/offerlist.htm?sortType=tradenumdown&pageNum=%1").arg(page));
    return hits;
}

int itemHits(const LocalWebServer &server, int added)
{
    int hits = 0;
    for (int s = 0; s < Shops; ++s)
        for (int k = 0; k < ItemsPerShop + added; ++k)
            hits += server.hits(QStringLiteral("/offer/%1.html").arg(itemId(s, k)));
    return hits;
}

CheckRun check(const LocalWebServer &server, const QString &runner, const QStringList &arguments, int added)
{
    CheckRun run;
    const int lists = listHits(server), items = itemHits(server, added);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bench-bus"));
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(runner, arguments + QStringList{QStringLiteral("--webEngineArgs"),
                                                  QStringLiteral("--host-resolver-rules=")
                                                      + QString::fromStdString(marketplaceHostRule(server.port()))});
    // A plain program: it may wait in a loop of its own while it samples.
    QEventLoop loop;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, &loop, [&] {
        if (process.state() == QProcess::Running)
            run.peakPssKb = std::max(run.peakPssKb, treeMemory(int(process.processId()), "Pss:"));
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    sample.start(100);
    loop.exec();
    run.seconds = double(clock.elapsed()) / 1000;
    run.exitCode = process.exitCode();
    run.listPages = listHits(server) - lists;
    run.itemPages = itemHits(server, added) - items;
    return run;
}

void print(const char *name, const CheckRun &run)
{
    std::printf("  %-36s %7.1f s   list pages %4d   item pages %3d   peak memory (PSS, process tree) %6.0f MiB   exit %d\n",
                name, run.seconds, run.listPages, run.itemPages, double(run.peakPssKb) / 1024, run.exitCode);
    std::fflush(stdout);
}

// The three checks with `views` collectors, from a fresh marketplace and folder.
void measure(const QString &runner, int views, bool standard)
{
    LocalWebServer server;
    serveShops(server, 0);
    QTemporaryDir folder;
    const QString out = QDir(folder.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")),
                       QStringLiteral("[config]\r\nPicOutPutPath=") + out + QStringLiteral("\r\n"));
    WatchList watched(folder.path());
    QString message;
    for (int s = 0; s < Shops; ++s)
        watched.add(QStringLiteral("http://%1.zorvane.com").arg(shopName(s)), false, QDateTime::currentDateTime(), &message);
    const QStringList common{QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"),
                             QStringLiteral("127.0.0.1"), QStringLiteral("--watch"), QStringLiteral("--collectors"),
                             QString::number(views)};

    std::printf("%d view%s:\n", views, views == 1 ? "" : "s");
    print("first check (records what they hold):", check(server, runner, common, 0));
    print("nothing new:", check(server, runner, common, 0));
    constexpr int Added = 2;
    for (int s = 0; s < Shops; ++s)
        for (int k = ItemsPerShop; k < ItemsPerShop + Added; ++k)
            serveItem(server, itemId(s, k));
    serveShops(server, Added);
    QStringList collecting = common;
    if (!standard)
        collecting << QStringLiteral("--fast");
    const QString name = QStringLiteral("2 new per shop (%1 pace):").arg(standard ? QStringLiteral("standard") : QStringLiteral("fast"));
    print(name.toUtf8().constData(), check(server, runner, collecting, Added));
    int recorded = 0, fresh = 0;
    QStringList unread;
    for (const WatchedShop &s : watched.shops()) {
        recorded += int(s.items.size());
        fresh += s.lastNew;
        if (!s.lastFailure.isEmpty())
            unread << s.name + QLatin1Char(':') + s.lastFailure;
    }
    std::printf("  after the last check: %d items recorded, %d new items reported, %d shops unread %s\n", recorded, fresh,
                int(unread.size()), unread.join(QLatin1Char(' ')).toUtf8().constData());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Checks of 20 watched shops of 300 items at 50 ms answers."));
    parser.addHelpOption();
    const QCommandLineOption runnerOption(QStringLiteral("runner"), QStringLiteral("The runner to measure."),
                                          QStringLiteral("FILE"),
                                          QDir(QCoreApplication::applicationDirPath())
                                              .filePath(QStringLiteral("../src/shell/zorvane-picker-batch")));
    const QCommandLineOption standardOption(QStringLiteral("standard"), QStringLiteral("Collect the new items at the standard pace (default: fast)."));
    const QCommandLineOption viewsOption(QStringLiteral("views"),
                                         QStringLiteral("同时采集 for every check, e.g. 1,4: the shops read side by side."),
                                         QStringLiteral("N,..."), QStringLiteral("1,4"));
    parser.addOptions({runnerOption, standardOption, viewsOption});
    parser.process(app);
    const QString runner = QDir::cleanPath(parser.value(runnerOption));
    std::printf("%d watched shops of %d items (%d a list page), every page answered %d ms late\n", Shops, ItemsPerShop,
                PerPage, LateMs);
    for (const QString &views : parser.value(viewsOption).split(QLatin1Char(',')))
        measure(runner, std::clamp(views.toInt(), 1, 4), parser.isSet(standardOption));
    return 0;
}
