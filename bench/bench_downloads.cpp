// Pictures per second of our downloads against curl, in one run: a loopback
// server serves N JPEG pictures of about 100 KB, each at its own address, and
// the same list is fetched one picture at a time by
//   - HttpFetcher::FetchToFile alone,
//   - the whole item path (ItemDownload::DownloadItemImages, pictures probed),
//   - one curl process over a keep-alive connection.
// Each measurement is repeated and the median is printed.
#include "collection/item_record.h"
#include "collection/status_log.h"
#include "download/item_download.h"
#include "lists/downloaded_search.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net/http_fetcher.h"
#include "platform/files/image_reader_probe.h"
#include "shell/settings.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <httplib.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int PictureWidth = 750;             // wide enough to be kept as a description picture
constexpr qsizetype TargetBytes = 100 * 1000;

QByteArray encodeJpeg(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return data;
}

// A gradient with noise on top: the noise is what keeps the JPEG near the
// target size instead of a few kilobytes.
QImage noisyImage(int height, quint32 seed)
{
    QImage image(PictureWidth, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < PictureWidth; ++x) {
            const int noise = int(random.bounded(48u));
            line[x] = qRgb((x * 255 / PictureWidth + noise) & 0xFF, (y + noise) & 0xFF, (128 + noise) & 0xFF);
        }
    }
    return image;
}

std::vector<std::string> makePictures(int count)
{
    // Bytes per row from a sample give the height that makes about the target.
    // A second sample at that height corrects for the fixed header bytes.
    int height = 100;
    for (int pass = 0; pass < 2; ++pass) {
        const qsizetype sample = encodeJpeg(noisyImage(height, 1)).size();
        height = std::max(8, int(TargetBytes * height / std::max<qsizetype>(sample, 1)));
    }
    std::vector<std::string> pictures;
    pictures.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const QByteArray data = encodeJpeg(noisyImage(height, quint32(1000 + i)));
        pictures.emplace_back(data.constData(), size_t(data.size()));
    }
    return pictures;
}

// cpp-httplib on 127.0.0.1 with an OS-chosen port; "/p/<i>.jpg" is picture i.
class PictureServer
{
public:
    explicit PictureServer(const std::vector<std::string> &pictures)
        : m_pictures(pictures)
    {
        // The default closes a connection after five requests; a browser-like
        // client keeps it for the whole list.
        m_server.set_keep_alive_max_count(int(pictures.size()) * 4 + 16);
        m_server.Get(R"(/p/(\d+)\.jpg)", [this](const httplib::Request &request, httplib::Response &response) {
            const size_t index = std::stoul(request.matches[1].str());
            if (index >= m_pictures.size()) {
                response.status = 404;
                return;
            }
            response.set_content(m_pictures[index], "image/jpeg");
            std::lock_guard lock(m_mutex);
            m_clientPorts.insert(request.remote_port);
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port <= 0) {
            std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
            std::exit(1);
        }
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::yield();
    }
    ~PictureServer()
    {
        m_server.stop();
        m_thread.join();
    }

    QString address(int index) const
    {
        return QStringLiteral("http://127.0.0.1:%1/p/%2.jpg").arg(m_port).arg(index);
    }

    // Connections that asked for pictures since the last call: 1 when the
    // client kept one connection alive for the whole list.
    int takeConnectionCount()
    {
        std::lock_guard lock(m_mutex);
        const int count = int(m_clientPorts.size());
        m_clientPorts.clear();
        return count;
    }

private:
    const std::vector<std::string> &m_pictures;
    std::mutex m_mutex;
    std::set<int> m_clientPorts;
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

struct Run
{
    double seconds = 0;
    int pictures = 0; // pictures that arrived whole
    int connections = 0;
};

// How many of the files hold exactly the bytes of their picture.
int countArrived(const QStringList &paths, const std::vector<std::string> &pictures)
{
    int arrived = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (QFileInfo(paths.at(qsizetype(i))).size() == qint64(pictures[i].size()))
            ++arrived;
    }
    return arrived;
}

Run timeFetcher(const QStringList &addresses, const std::vector<std::string> &pictures)
{
    QTemporaryDir folder;
    QStringList paths;
    for (qsizetype i = 0; i < addresses.size(); ++i)
        paths << folder.filePath(QStringLiteral("%1.jpg").arg(i));

    HttpFetcher fetcher;
    QEventLoop loop;
    qsizetype next = 0;
    std::function<void()> fetchNext = [&] {
        if (next == addresses.size()) {
            loop.quit();
            return;
        }
        const qsizetype i = next++;
        fetcher.FetchToFile(addresses.at(i), paths.at(i), [&](const FetchResult &result) {
            if (!result.ok)
                std::fprintf(stderr, "HttpFetcher: %s\n", qPrintable(result.error));
            fetchNext();
        });
    };
    QElapsedTimer timer;
    timer.start();
    fetchNext();
    loop.exec();
    Run run;
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    run.pictures = countArrived(paths, pictures);
    return run;
}

Run timeItemPath(const QStringList &addresses, const std::vector<std::string> &pictures)
{
    QTemporaryDir program;
    const QString output = program.filePath(QStringLiteral("out"));
    QDir().mkpath(output);
    StatusLog log;
    Settings settings(program.path());
    settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), output);
    ListStore lists;
    ListFile listFile(lists, log, program.filePath(QStringLiteral("listdata.txt")));
    DownloadedSearch search(lists.AlreadyDownedList(), log);
    ItemRecordTable records;
    HttpFetcher fetcher;
    ImageReaderProbe probe;
    ItemDownload download({records, lists, search, settings, log, fetcher, probe});

    ItemRecord &item = records.record(0);
    item.PickItemNo = QStringLiteral("B-1");
    item.PickTitle = QStringLiteral("bench");
    item.PickUrl = QStringLiteral("http://detail.zorvane.com/offer/1.html");
    item.DescImgList = addresses;
    records.setPickBusy(0, true);

    QEventLoop loop;
    QObject::connect(&download, &ItemDownload::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    download.DownloadItemImages(0);
    if (download.isRunning())
        loop.exec();
    Run run;
    run.seconds = double(timer.nsecsElapsed()) / 1e9;

    QStringList paths;
    const QString descFolder = output + QStringLiteral("/bench/描述图/描述图");
    for (qsizetype i = 0; i < addresses.size(); ++i)
        paths << descFolder + QString::number(i + 1) + QStringLiteral(".jpg");
    run.pictures = countArrived(paths, pictures);
    return run;
}

QString quoted(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

std::optional<Run> timeCurl(const QStringList &addresses, const std::vector<std::string> &pictures)
{
    QTemporaryDir folder;
    QStringList paths;
    // A proxy named in the environment must not stand between curl and the server.
    QByteArray config("noproxy = \"*\"\n");
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        paths << folder.filePath(QStringLiteral("%1.jpg").arg(i));
        config += (QStringLiteral("url = ") + quoted(addresses.at(i)) + QStringLiteral("\noutput = ")
                   + quoted(paths.last()) + QStringLiteral("\n")).toUtf8();
    }
    const QString configPath = folder.filePath(QStringLiteral("curl.config"));
    QFile file(configPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size())
        return std::nullopt;
    file.close();

    QProcess curl;
    curl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    curl.start(QStringLiteral("curl"), {QStringLiteral("--silent"), QStringLiteral("--show-error"),
                                        QStringLiteral("--fail"), QStringLiteral("--config"), configPath});
    if (!curl.waitForStarted() || !curl.waitForFinished(-1)) {
        std::fprintf(stderr, "curl: %s\n", qPrintable(curl.errorString()));
        return std::nullopt;
    }
    Run run;
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    if (curl.exitStatus() != QProcess::NormalExit || curl.exitCode() != 0)
        std::fprintf(stderr, "curl ended with code %d\n", curl.exitCode());
    run.pictures = countArrived(paths, pictures);
    return run;
}

// The item download's share that is not transfer: decoding every saved
// picture whole to learn its width. Timed over files written beforehand.
Run timeProbe(const std::vector<std::string> &pictures)
{
    QTemporaryDir folder;
    QStringList paths;
    for (size_t i = 0; i < pictures.size(); ++i) {
        paths << folder.filePath(QStringLiteral("%1.jpg").arg(i));
        QFile file(paths.last());
        if (!file.open(QIODevice::WriteOnly) || file.write(pictures[i].data(), qint64(pictures[i].size())) < 0)
            return {};
    }
    const ImageReaderProbe probe;
    QElapsedTimer timer;
    timer.start();
    Run run;
    for (const QString &path : paths) {
        if (probe.pictureWidth(path) == PictureWidth)
            ++run.pictures;
    }
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    return run;
}

Run median(std::vector<Run> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bench_downloads"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Pictures per second of HttpFetcher and of the item download against curl (loopback)."));
    parser.addHelpOption();
    const QCommandLineOption countOption(QStringLiteral("count"), QStringLiteral("Number of pictures."),
                                         QStringLiteral("N"), QStringLiteral("300"));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"), QStringLiteral("Runs of each measurement."),
                                          QStringLiteral("R"), QStringLiteral("3"));
    parser.addOption(countOption);
    parser.addOption(repeatOption);
    parser.process(app);
    const int count = parser.value(countOption).toInt();
    const int repeat = parser.value(repeatOption).toInt();
    if (count < 1 || repeat < 1) {
        std::fprintf(stderr, "--count and --repeat must be positive numbers\n");
        return 2;
    }

    const std::vector<std::string> pictures = makePictures(count);
    double totalBytes = 0;
    for (const std::string &picture : pictures)
        totalBytes += double(picture.size());
    PictureServer server(pictures);
    QStringList addresses;
    for (int i = 0; i < count; ++i)
        addresses << server.address(i);

    std::printf("%d pictures, %d x %d JPEG, mean %.1f kB, %.1f MB in all; median of %d runs\n", count,
                PictureWidth, QImage::fromData(QByteArray::fromStdString(pictures.front())).height(),
                totalBytes / count / 1000, totalBytes / 1e6, repeat);

    // Interleaved so that any drift of the machine touches all three alike.
    std::vector<Run> fetcherRuns, itemRuns, curlRuns, probeRuns;
    for (int r = 0; r < repeat; ++r) {
        server.takeConnectionCount();
        fetcherRuns.push_back(timeFetcher(addresses, pictures));
        fetcherRuns.back().connections = server.takeConnectionCount();
        itemRuns.push_back(timeItemPath(addresses, pictures));
        itemRuns.back().connections = server.takeConnectionCount();
        const std::optional<Run> curl = timeCurl(addresses, pictures);
        if (!curl) {
            std::fprintf(stderr, "curl could not be run\n");
            return 1;
        }
        curlRuns.push_back(*curl);
        curlRuns.back().connections = server.takeConnectionCount();
        probeRuns.push_back(timeProbe(pictures));
    }

    const Run rows[] = {median(fetcherRuns), median(itemRuns), median(curlRuns)};
    const char *names[] = {"HttpFetcher", "item download", "curl"};
    std::printf("\n%-14s %9s %9s %11s %8s %12s\n", "", "pictures", "seconds", "pictures/s", "MB/s", "connections");
    for (int i = 0; i < 3; ++i) {
        const Run &run = rows[i];
        const double bytes = totalBytes * run.pictures / count;
        std::printf("%-14s %4d/%-4d %9.3f %11.1f %8.1f %12d\n", names[i], run.pictures, count, run.seconds,
                    run.pictures / run.seconds, bytes / 1e6 / run.seconds, run.connections);
    }
    const double curlRate = rows[2].pictures / rows[2].seconds;
    std::printf("\nHttpFetcher / curl = %.2f\n", rows[0].pictures / rows[0].seconds / curlRate);
    std::printf("item download / curl = %.2f\n", rows[1].pictures / rows[1].seconds / curlRate);

    const Run probe = median(probeRuns);
    std::printf("\npicture probe alone (decoding each saved picture, part of the item download): "
                "%d/%d in %.3f s, %.2f ms per picture\n",
                probe.pictures, count, probe.seconds, probe.seconds * 1000 / count);

    bool whole = probe.pictures == count;
    for (const Run &run : rows)
        whole = whole && run.pictures == count;
    if (!whole)
        std::fprintf(stderr, "some pictures did not arrive whole\n");
    return whole ? 0 : 1;
}
