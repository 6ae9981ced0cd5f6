// Seconds to export N downloaded items (default 2,000) to a spreadsheet. Each
// item is a folder as the download leaves it: an info file with ten
// attributes, one 800×800 JPEG main picture (about 100 KB) and two small
// description pictures. The phases are timed one after another on this
// thread (reading the folders, making the row pictures, writing the file),
// then the whole export again as the window runs it, on Qt's thread pool.
#include "collection/item_record.h"
#include "download/info_file.h"
#include "lists/export/export_items.h"
#include "lists/export/item_sheet.h"
#include "lists/export/sheet_picture.h"
#include "lists/export/spreadsheet_export.h"
#include "platform/files/text_file.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Every item's picture is its own: the spreadsheet stores equal pictures once.
QByteArray picture(int side, quint32 seed)
{
    // Noise keeps the JPEG near a real product photo's size.
    QImage image(side, side, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(random.bounded(12u));
            line[x] = qRgb((x * 255 / side + noise) & 0xFF, (y * 255 / side + noise) & 0xFF, (160 + noise) & 0xFF);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return bytes;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

QList<DownloadedLine> makeItems(const QString &output, int count)
{
    const QByteArray desc = picture(16, 0); // only counted
    qint64 mainBytes = 0;
    const QStringList names = {QStringLiteral("颜色"), QStringLiteral("尺码"), QStringLiteral("材质"),
                               QStringLiteral("风格"), QStringLiteral("货号"), QStringLiteral("产地"),
                               QStringLiteral("品牌"), QStringLiteral("适用季节"), QStringLiteral("领型"),
                               QStringLiteral("袖长")};
    QList<DownloadedLine> lines;
    for (int i = 0; i < count; ++i) {
        const QString itemNo = QStringLiteral("ZV-%1").arg(i, 5, 10, QLatin1Char('0'));
        const QString title = QStringLiteral("2024夏季新款女装连衣裙｜韩版宽松显瘦 %1").arg(i);
        const QString folder = QDir(output).filePath(title);
        QDir().mkpath(folder + QStringLiteral("/主图"));
        QDir().mkpath(folder + QStringLiteral("/描述图"));
        const QByteArray main = picture(800, quint32(i + 1));
        mainBytes += main.size();
        writeFile(folder + QStringLiteral("/主图/主图1.jpg"), main);
        writeFile(folder + QStringLiteral("/描述图/描述图1.jpg"), desc);
        writeFile(folder + QStringLiteral("/描述图/描述图2.jpg"), desc);
        ItemRecord record;
        record.PickItemNo = itemNo;
        record.PickUrl = QStringLiteral("https://detail.zorvane.com/offer/%1.html").arg(600000 + i);
        // Some names come and go, so the columns are a real union.
        for (int a = 0; a < names.size(); ++a)
            record.AttrList.append({a == 9 && i % 3 ? QStringLiteral("袖型%1").arg(i % 5) : names.at(a),
                                    QStringLiteral("值%1:%2").arg(a).arg(i)});
        writeLocalTextFile(folder + QLatin1Char('/') + InfoFileName,
                           infoFileText(record, title, QDateTime::currentDateTime()));
        lines.append({itemNo, title, folder, record.PickUrl});
    }
    std::printf("main pictures: 800x800 JPEG, %lld KB on average\n", static_cast<long long>(mainBytes / count / 1000));
    return lines;
}

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption itemsOption(QStringLiteral("items"), QStringLiteral("Items to export."),
                                         QStringLiteral("N"), QStringLiteral("2000"));
    parser.addOption(itemsOption);
    parser.process(app);
    const int count = std::max(1, parser.value(itemsOption).toInt());

    QTemporaryDir output;
    QElapsedTimer timer;
    timer.start();
    const QList<DownloadedLine> lines = makeItems(output.path(), count);
    std::printf("%d item folders made in %.1f s\n", count, seconds(timer));

    timer.restart();
    QList<ExportItem> items;
    for (const DownloadedLine &line : lines)
        items.append(readExportItem(line));
    const double reading = seconds(timer);

    timer.restart();
    QList<SheetRow> rows;
    for (const ExportItem &item : items)
        rows.append({item, sheetPicture(item.firstMainPicture, SheetPictureSide)});
    const double picturing = seconds(timer);

    timer.restart();
    QString error;
    const QString path = output.filePath(QStringLiteral("phases.xlsx"));
    if (!writeItemSheet(rows, path, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const double writing = seconds(timer);
    std::printf("phases on one thread: reading %.2f s, pictures %.2f s, writing %.2f s (%.1f MB), total %.2f s\n",
                reading, picturing, writing, double(QFileInfo(path).size()) / 1e6, reading + picturing + writing);

    SpreadsheetExport exporter;
    int progressSignals = 0;
    QObject::connect(&exporter, &SpreadsheetExport::progressed, [&] { ++progressSignals; });
    QObject::connect(&exporter, &SpreadsheetExport::finished, [&](bool ok, const QString &message) {
        std::printf("whole export on the thread pool: %.2f s, %d progress signals, %s\n", seconds(timer),
                    progressSignals, ok ? "ok" : qPrintable(message));
        app.exit(ok ? 0 : 1);
    });
    timer.restart();
    exporter.start(lines, output.filePath(QStringLiteral("export.xlsx")));
    return app.exec();
}
