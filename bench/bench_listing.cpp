// 上架图 for N items (default 20; the README's figures are from --items 200),
// each of 5 main pictures (JPEG, PNG and WebP, 600–1600 px a side) and 10
// description pictures (750–790 × 800–8000 px), all made by the benchmark.
// The same run (ListingRun, the window's and the runner's) is made with
// libvips and with Qt's image classes, on 1 and 2 threads, each in a process
// of its own: seconds, CPU seconds, pictures a second, peak memory (PSS,
// sampled every 20 ms, and the peak RSS, VmHWM, the process reports), the
// longest stall of the thread that owns the run (as the window's thread owns
// it) and that thread's own CPU time. For scale, libvips' own
// command-line tool (vipsthumbnail) decodes, scales and encodes the same
// files once at quality 90. Then the tall runs: description pictures of one
// height each (--tall, default 8,000 and 30,000 px; the README's figures add
// 60,000), for the peak memory against the height.
#include "download/listing/listing_run.h"
#include "download/listing/vips_pictures.h"
#include "listing_samples.h"
#include "process_memory.h"
#include "qt_pictures.h"
#include "stall_meter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const ListingOptions Options; // the defaults: 800 px, 750 px, 1,500 px, 2 MB

struct Measured
{
    double seconds = 0;
    double cpuSeconds = 0; // user and system, of every process measured
    qint64 peakPssKb = 0;
    qint64 peakRssKb = 0; // from the process itself; 0 where it cannot say
    QString report;       // the child's own line
    double stallMs = -1;  // the child's event loop: its longest wait past a 10 ms tick
    double ownCpuMs = -1; // the CPU time of the thread that owns the run
    bool ok = true;
};

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs the processes to their end, sampling their trees' PSS meanwhile.
Measured measure(std::vector<std::unique_ptr<QProcess>> &processes)
{
    Measured measured;
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    for (auto &process : processes) {
        if (!process->waitForStarted(30000)) {
            std::fprintf(stderr, "cannot start %s\n", qPrintable(process->program()));
            std::exit(1);
        }
    }
    for (;;) {
        qint64 pss = 0;
        bool running = false;
        for (auto &process : processes) {
            if (process->state() == QProcess::Running) {
                running = true;
                pss += treeMemory(int(process->processId()), "Pss:");
            }
        }
        measured.peakPssKb = std::max(measured.peakPssKb, pss);
        if (!running)
            break;
        // A bench's own wait: the sampling needs no event loop.
        processes.front()->waitForFinished(20);
        for (auto &process : processes)
            process->waitForFinished(0);
    }
    measured.seconds = clock.nsecsElapsed() / 1e9;
    measured.cpuSeconds = childrenCpuSeconds() - cpuBefore;
    for (auto &process : processes) {
        if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(process->program()),
                         process->readAllStandardError().constData());
            measured.ok = false;
        }
        measured.report += QString::fromUtf8(process->readAllStandardOutput()).trimmed();
    }
    const QStringList fields = measured.report.split(u' ');
    if (fields.size() > 1 && fields.first() == u"RSS")
        measured.peakRssKb = fields.at(1).toLongLong();
    if (const qsizetype at = fields.indexOf(QStringLiteral("stall")); at >= 0 && at + 1 < fields.size())
        measured.stallMs = fields.at(at + 1).toDouble();
    if (const qsizetype at = fields.indexOf(QStringLiteral("own")); at >= 0 && at + 1 < fields.size())
        measured.ownCpuMs = fields.at(at + 1).toDouble();
    return measured;
}

// kB of this process's peak resident set (VmHWM: begun afresh by exec, unlike getrusage's).
qint64 peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// The whole run in this process: every item folder under root.
int runChild(const QString &maker, int threads, const QString &root)
{
    QList<DownloadedLine> lines;
    for (const QString &name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name != u"pool")
            lines.append({name, name, QDir(root).filePath(name), QString()});
    }
    ListingRun::MakerFactory factory;
    if (maker == u"qt")
        factory = [] { return std::make_unique<QtPictures>(); };
    else
        factory = [] { return std::make_unique<VipsPictures>(); };
    ListingRun run(factory, threads);
    // The thread that owns the run is the window's: how long it ever waits.
    StallMeter stalls;
    int files = 0, overLimit = 0, problems = 0;
    QObject::connect(&run, &ListingRun::itemFinished, [&](const ListingOutcome &outcome) {
        files += outcome.mainFiles + outcome.descFiles;
        overLimit += int(outcome.overLimit.size());
        problems += int(outcome.skipped.size()) + (outcome.state == ListingOutcome::State::Made ? 0 : 1);
        if (outcome.state != ListingOutcome::State::Made)
            std::fprintf(stderr, "%s: %s\n", qPrintable(outcome.line.folder), qPrintable(outcome.error));
    });
    QObject::connect(&run, &ListingRun::finished, [&] {
        // The owning thread's own work: on a busy machine its stalls are mostly the scheduler's.
        rusage own{};
        getrusage(RUSAGE_THREAD, &own);
        const double ownMs = (own.ru_utime.tv_sec + own.ru_stime.tv_sec) * 1e3
            + (own.ru_utime.tv_usec + own.ru_stime.tv_usec) / 1e3;
        std::printf("RSS %lld files %d over-limit %d problems %d stall %.1f own %.1f\n", peakRssKb(), files, overLimit,
                    problems, stalls.longest(), ownMs);
        QCoreApplication::exit(problems > 0 ? 1 : 0);
    });
    run.add(lines, Options);
    return QCoreApplication::exec();
}

std::unique_ptr<QProcess> child(const QString &maker, int threads, const QString &root)
{
    auto process = std::make_unique<QProcess>();
    process->start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--child"), maker, QStringLiteral("--threads"), QString::number(threads),
                    QStringLiteral("--root"), root});
    return process;
}

// vipsthumbnail over the files, split among `threads` processes of one
// libvips thread each.
Measured commandLine(const QStringList &files, const QString &size, int threads, const QString &output)
{
    QDir().mkpath(output);
    std::vector<std::unique_ptr<QProcess>> processes;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
    for (int t = 0; t < threads; ++t) {
        QStringList arguments{QStringLiteral("--size"), size, QStringLiteral("-o"),
                              QDir(output).filePath(QStringLiteral("%1-%s.jpg[Q=90,strip,subsample_mode=on]").arg(t))};
        for (qsizetype i = t; i < files.size(); i += threads)
            arguments.append(files.at(i));
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral("vipsthumbnail"), arguments);
        processes.push_back(std::move(process));
    }
    return measure(processes);
}

void row(const char *what, int threads, const Measured &m, int pictures, const Measured *cli)
{
    if (!m.ok) {
        std::printf("%-30s %2d failed\n", what, threads);
        return;
    }
    std::printf("%-30s %2d %8.2f %8.2f %8.1f %8.1f %8.1f", what, threads, m.seconds, m.cpuSeconds,
                pictures / m.seconds, m.peakPssKb / 1024.0, m.peakRssKb / 1024.0);
    if (m.stallMs >= 0)
        std::printf(" %8.1f %8.1f", m.stallMs, m.ownCpuMs);
    else
        std::printf(" %8s %8s", "", "");
    if (cli)
        std::printf(" %6.2f× %6.2f×", m.seconds / cli->seconds, m.cpuSeconds / cli->cpuSeconds);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{QStringLiteral("items"), QStringLiteral("items (default 20)"), QStringLiteral("N"), QStringLiteral("20")},
                       {QStringLiteral("threads"), QStringLiteral("thread counts"), QStringLiteral("LIST"), QStringLiteral("1,2")},
                       {QStringLiteral("tall"), QStringLiteral("heights of the tall runs (empty: none)"),
                        QStringLiteral("LIST"), QStringLiteral("8000,30000")},
                       {QStringLiteral("child"), QStringLiteral("internal"), QStringLiteral("vips|qt")},
                       {QStringLiteral("root"), QStringLiteral("internal"), QStringLiteral("DIR")}});
    parser.process(app);
    if (parser.isSet(QStringLiteral("child")))
        return runChild(parser.value(QStringLiteral("child")), parser.value(QStringLiteral("threads")).toInt(),
                        parser.value(QStringLiteral("root")));

    QList<int> threadCounts;
    for (const QString &n : parser.value(QStringLiteral("threads")).split(u',', Qt::SkipEmptyParts))
        threadCounts.append(n.toInt());
    QTemporaryDir work;
    SampleRecipe recipe;
    recipe.items = parser.value(QStringLiteral("items")).toInt();
    QElapsedTimer clock;
    clock.start();
    const QString root = QDir(work.path()).filePath(QStringLiteral("items"));
    const SampleSet set = makeSamples(root, recipe);
    const int pictures = set.mainPictures + set.descPictures;
    std::printf("%d items: %d main and %d description pictures (%.0f megapixels of description), made in %.1f s\n",
                recipe.items, set.mainPictures, set.descPictures, set.descPixels / 1e6, clock.nsecsElapsed() / 1e9);
    std::printf("%-30s %2s %8s %8s %8s %8s %8s %8s %8s %15s\n", "", "th", "seconds", "CPU s", "pict/s", "PSS MiB",
                "HWM MiB", "stall ms", "own ms", "vs CLI: s, CPU");

    for (const int threads : threadCounts) {
        const QString output = QDir(work.path()).filePath(QStringLiteral("cli"));
        Measured main = commandLine(set.mainFiles, QStringLiteral("%1x%1>").arg(Options.mainSide), threads, output);
        const Measured desc = commandLine(set.descFiles, QStringLiteral("%1x10000000>").arg(Options.descWidth), threads, output);
        QDir(output).removeRecursively();
        Measured cli;
        cli.seconds = main.seconds + desc.seconds;
        cli.cpuSeconds = main.cpuSeconds + desc.cpuSeconds;
        cli.peakPssKb = std::max(main.peakPssKb, desc.peakPssKb);
        row("vipsthumbnail (decode+encode)", threads, cli, pictures, nullptr);
        for (const char *maker : {"vips", "qt"}) {
            std::vector<std::unique_ptr<QProcess>> one;
            one.push_back(child(QString::fromLatin1(maker), threads, root));
            const Measured m = measure(one);
            row(maker == QByteArrayView("vips") ? "上架图 with libvips" : "上架图 with Qt", threads, m, pictures, &cli);
        }
    }

    for (const QString &height : parser.value(QStringLiteral("tall")).split(u',', Qt::SkipEmptyParts)) {
        SampleRecipe tall;
        tall.items = 2;
        tall.mainPerItem = 0;
        tall.descPerItem = 3;
        tall.poolMain = 0;
        tall.poolDesc = 3;
        tall.descHeight = height.toInt();
        const QString tallRoot = QDir(work.path()).filePath(QStringLiteral("tall") + height);
        makeSamples(tallRoot, tall);
        std::printf("tall: 2 items of 3 description pictures 750–790 × %s px\n", qPrintable(height));
        for (const char *maker : {"vips", "qt"}) {
            std::vector<std::unique_ptr<QProcess>> one;
            one.push_back(child(QString::fromLatin1(maker), 2, tallRoot));
            const Measured m = measure(one);
            row(maker == QByteArrayView("vips") ? "上架图 with libvips" : "上架图 with Qt", 2, m, 6, nullptr);
        }
        QDir(tallRoot).removeRecursively();
    }
    return 0;
}
