// The 宝贝预览 window following a selection moved through many items.
//
// Makes N items (default 200) of P pictures each (default 30: 5 主图 and 25
// 描述图, 800×1200 JPEGs with some texture, about the size of a product
// photo) once in a temporary folder, shows the window and calls showItem for
// one item after another, 10 per second, as arrow keys held down would. Then
// it stops on items one at a time. Prints:
//   - the event loop's longest stall and its 99th percentile while moving
//     (how late a 10 ms timer fires, as bench_window measures it);
//   - while moving: for the items whose thumbnails were all shown before the
//     next move, the time from showItem until then (median, worst), and how
//     many were left before that;
//   - when stopping on an item not in the cache: the same time, median and worst.
// Run under xvfb-run or with QT_QPA_PLATFORM=offscreen.
#include "stall_meter.h"
#include "platform/desktop/desktop_services.h"
#include "shell/window/preview/item_preview_window.h"

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int MainPictures = 5;

// A photo-like JPEG: shapes over a gradient, with fine noise that costs the
// decoder about what a real picture does.
QByteArray makePhoto(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor::fromHsv(int(random.bounded(360)), 60, 230));
    gradient.setColorAt(1, QColor::fromHsv(int(random.bounded(360)), 120, 120));
    QPainter painter(&image);
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 150, 200, 160));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(random.bounded(width), random.bounded(height)), 20 + random.bounded(120),
                            20 + random.bounded(120));
    }
    painter.end();
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(random.bounded(17)) - 8;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + n, 0, 255), std::clamp(qGreen(p) + n, 0, 255),
                           std::clamp(qBlue(p) + n, 0, 255));
        }
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return data;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The items as downloaded-list lines.
QStringList makeItems(const QString &root, int items, int pictures, qint64 *bytes)
{
    std::vector<QByteArray> photos;
    for (int p = 0; p < pictures; ++p)
        photos.push_back(makePhoto(800, 1200, quint32(p + 1)));
    *bytes = 0;
    for (const QByteArray &photo : photos)
        *bytes += photo.size();
    QStringList lines;
    for (int i = 1; i <= items; ++i) {
        const QString folder = root + QStringLiteral("/宝贝%1").arg(i);
        QDir().mkpath(folder + QStringLiteral("/主图"));
        QDir().mkpath(folder + QStringLiteral("/描述图"));
        for (int p = 0; p < pictures; ++p) {
            const bool main = p < MainPictures;
            const QString name = main ? QStringLiteral("/主图/主图%1.jpg").arg(p + 1)
                                      : QStringLiteral("/描述图/描述图%1.jpg").arg(p + 1 - MainPictures);
            if (!writeFile(folder + name, photos.at(size_t(p))))
                return {};
        }
        lines << QStringLiteral("B-%1|宝贝%1|%2|http://detail.zorvane.com/offer/%1.html").arg(i).arg(folder);
    }
    return lines;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double worst(const std::vector<double> &values)
{
    return values.empty() ? 0 : *std::max_element(values.cbegin(), values.cend());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption itemsOption(QStringLiteral("items"), QStringLiteral("items (200)"), QStringLiteral("N"),
                                         QStringLiteral("200"));
    const QCommandLineOption picturesOption(QStringLiteral("pictures"), QStringLiteral("pictures per item (30)"),
                                            QStringLiteral("P"), QStringLiteral("30"));
    const QCommandLineOption stopsOption(QStringLiteral("stops"), QStringLiteral("items stopped on (20)"),
                                         QStringLiteral("S"), QStringLiteral("20"));
    parser.addOptions({itemsOption, picturesOption, stopsOption});
    parser.process(app);
    const int items = std::max(1, parser.value(itemsOption).toInt());
    const int pictures = std::max(1, parser.value(picturesOption).toInt());
    const int stops = std::clamp(parser.value(stopsOption).toInt(), 0, items);

    QTemporaryDir root;
    qint64 photoBytes = 0;
    // One more than moved through: the first item shown pays for what Qt sets
    // up once (fonts, the first paint), which is not what moving costs.
    const QStringList lines = makeItems(root.path(), items + 1, pictures, &photoBytes);
    if (lines.isEmpty()) {
        std::fprintf(stderr, "cannot write the pictures under %s\n", qPrintable(root.path()));
        return 1;
    }
    std::printf("%d items of %d pictures (800×1200 JPEG, %.0f KB on average)\n", items, pictures,
                double(photoBytes) / pictures / 1024);

    DesktopOpener opener;
    ItemPreviewWindow window(opener);
    window.show();

    QElapsedTimer shownAt;
    bool waiting = false;
    std::vector<double> movingMs, stoppedMs;
    std::vector<double> *record = &movingMs;
    std::vector<double> showItemMs;
    const auto select = [&](int index) {
        waiting = true;
        shownAt.start();
        window.showItem(lines.at(index));
        showItemMs.push_back(double(shownAt.nsecsElapsed()) / 1e6);
    };

    int next = 0;
    int leftEarly = 0;
    int stopped = 0;
    auto firstMeter = std::make_unique<StallMeter>();
    std::unique_ptr<StallMeter> meter;
    QTimer move;
    move.setTimerType(Qt::PreciseTimer);
    move.setInterval(100);
    QObject::connect(&window, &ItemPreviewWindow::allShown, &app, [&] {
        if (firstMeter) {
            std::printf("the first item after the window opened: all shown after %.1f ms, longest stall %.1f ms\n",
                        double(shownAt.nsecsElapsed()) / 1e6, firstMeter->longest());
            firstMeter.reset();
            showItemMs.clear();
            waiting = false;
            meter = std::make_unique<StallMeter>();
            move.start();
            return;
        }
        if (waiting)
            record->push_back(double(shownAt.nsecsElapsed()) / 1e6);
        waiting = false;
    });
    QObject::connect(&move, &QTimer::timeout, &app, [&] {
        if (waiting)
            ++leftEarly;
        if (next < items) {
            select(next++);
            return;
        }
        move.stop();
        meter->stop();
        std::printf("moving at 10 items per second through %d items:\n", items);
        std::printf("  longest event-loop stall %.1f ms, 99th percentile %.1f ms\n", meter->longest(),
                    meter->percentile99());
        std::printf("  all thumbnails of an item shown after: median %.1f ms, worst %.1f ms (%zu items); "
                    "left before that: %d\n",
                    median(movingMs), worst(movingMs), movingMs.size(), leftEarly);
        std::printf("  showItem itself (folders listed, headers read, tiles made): median %.1f ms, worst %.1f ms\n",
                    median(showItemMs), worst(showItemMs));
        if (stops == 0) {
            app.quit();
            return;
        }
        // Items spread over the first half, far from the last ones seen: not in the cache.
        record = &stoppedMs;
        QObject::connect(&window, &ItemPreviewWindow::allShown, &app, [&] {
            if (++stopped < stops)
                QTimer::singleShot(0, &app, [&] { select(stopped * items / stops / 2); });
            else
                QTimer::singleShot(0, &app, &QCoreApplication::quit);
        });
        select(0);
    });
    select(items);
    const int rc = app.exec();
    if (stops > 0)
        std::printf("stopping on an item not in the cache (%d items): all shown after median %.1f ms, "
                    "worst %.1f ms\n",
                    stops, median(stoppedMs), worst(stoppedMs));
    return rc;
}
