#include "listing_samples.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void die(const QString &what)
{
    std::fprintf(stderr, "%s\n", qPrintable(what));
    std::exit(1);
}

// A photograph's stand-in: a gradient under noise fine enough that JPEG
// files come out the size real ones have.
void photo(QImage &image, const QRect &area, QRandomGenerator &random)
{
    const int r0 = int(random.bounded(60, 220)), g0 = int(random.bounded(60, 220)), b0 = int(random.bounded(60, 220));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uchar *line = image.scanLine(y);
        const int dy = (y - area.top()) * 60 / std::max(1, area.height());
        for (int x = area.left(); x <= area.right(); ++x) {
            const int noise = int(random.bounded(24u)) - 12;
            const int dx = (x - area.left()) * 40 / std::max(1, area.width());
            uchar *p = line + x * 3;
            p[0] = uchar(std::clamp(r0 + dx - dy + noise, 0, 255));
            p[1] = uchar(std::clamp(g0 - dx + dy + noise, 0, 255));
            p[2] = uchar(std::clamp(b0 + dy + noise, 0, 255));
        }
    }
}

// Lines of dark "glyphs" on the light ground, with the gaps between lines that text has.
void text(QPainter &painter, const QRect &area, QRandomGenerator &random)
{
    const int lineHeight = int(random.bounded(18, 30)), gap = int(random.bounded(10, 18));
    for (int y = area.top(); y + lineHeight <= area.bottom(); y += lineHeight + gap) {
        for (int x = area.left() + 30; x < area.right() - 30;) {
            const int glyph = int(random.bounded(lineHeight / 2, lineHeight));
            painter.fillRect(x, y + int(random.bounded(0, 4)), glyph, lineHeight - 4, QColor(40, 40, 40));
            x += glyph + int(random.bounded(3, 8));
        }
    }
}

QImage mainPicture(QRandomGenerator &random)
{
    QImage image(int(random.bounded(600, 1601)), int(random.bounded(600, 1601)), QImage::Format_RGB888);
    photo(image, image.rect(), random);
    return image;
}

// Blocks of photograph and of text down the page, plain gaps between them.
// PNG descriptions are text only, as screenshots of text are.
QImage descPicture(QRandomGenerator &random, int height, bool textOnly)
{
    QImage image(int(random.bounded(750, 791)), height, QImage::Format_RGB888);
    image.fill(QColor(250, 248, 244));
    QPainter painter(&image);
    for (int top = 0; top < height;) {
        const int block = std::min(height - top, int(random.bounded(300, 900)));
        const QRect area(0, top, image.width(), block);
        if (!textOnly && random.bounded(2) == 0) {
            painter.end();
            photo(image, area, random);
            painter.begin(&image);
        } else {
            text(painter, area, random);
        }
        top += block + int(random.bounded(20, 60));
    }
    return image;
}

void save(const QImage &image, const QString &path, const QByteArray &format)
{
    QImageWriter writer(path, format);
    writer.setQuality(format == "png" ? -1 : 85);
    if (!writer.write(image))
        die(QStringLiteral("cannot write ") + path + QStringLiteral(": ") + writer.errorString());
}

void link(const QString &from, const QString &to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        die(QStringLiteral("cannot link ") + to);
}

// As the download names its files: the address's last four characters.
QString downloadTail(const QByteArray &format)
{
    return QString(u'.' + QString::fromLatin1(format)).right(4);
}

struct Pooled
{
    QString path;
    QString extension; // what follows the number
    qint64 pixels;
};

} // namespace

SampleSet makeSamples(const QString &root, const SampleRecipe &recipe)
{
    const QDir pool(QDir(root).filePath(QStringLiteral("pool")));
    QDir().mkpath(pool.path());
    QRandomGenerator random(36);
    const QList<QByteArray> mainFormats{"jpg", "png", "webp"};
    QList<Pooled> mains, descs;
    for (int i = 0; i < recipe.poolMain; ++i) {
        const QByteArray format = mainFormats.at(i % mainFormats.size());
        const QString path = pool.filePath(QStringLiteral("main%1.%2").arg(i).arg(QString::fromLatin1(format)));
        const QImage image = mainPicture(random);
        save(image, path, format == "jpg" ? "jpeg" : format);
        mains.append({path, downloadTail(format), qint64(image.width()) * image.height()});
    }
    for (int i = 0; i < recipe.poolDesc; ++i) {
        const QByteArray format = i % 10 == 3 ? "png" : i % 10 == 7 ? "webp" : "jpg";
        const int height = recipe.descHeight > 0 ? recipe.descHeight : int(random.bounded(800, 8001));
        const QImage image = descPicture(random, height, format == "png");
        const QString path = pool.filePath(QStringLiteral("desc%1.%2").arg(i).arg(QString::fromLatin1(format)));
        save(image, path, format == "jpg" ? "jpeg" : format);
        descs.append({path, downloadTail(format), qint64(image.width()) * image.height()});
    }

    SampleSet set;
    for (int item = 0; item < recipe.items; ++item) {
        const QDir folder(QDir(root).filePath(QStringLiteral("宝贝%1").arg(item + 1, 4, 10, QLatin1Char('0'))));
        QDir().mkpath(folder.filePath(QStringLiteral("主图")));
        QDir().mkpath(folder.filePath(QStringLiteral("描述图")));
        for (int n = 1; n <= recipe.mainPerItem; ++n) {
            const Pooled &picture = mains.at((item * recipe.mainPerItem + n) % mains.size());
            const QString path = folder.filePath(QStringLiteral("主图/主图%1%2").arg(n).arg(picture.extension));
            link(picture.path, path);
            set.mainFiles.append(path);
        }
        for (int n = 1; n <= recipe.descPerItem; ++n) {
            const Pooled &picture = descs.at((item * recipe.descPerItem + n * 7) % descs.size());
            const QString path = folder.filePath(QStringLiteral("描述图/描述图%1%2").arg(n).arg(picture.extension));
            link(picture.path, path);
            set.descFiles.append(path);
            set.descPixels += picture.pixels;
        }
        set.folders.append(folder.path());
    }
    set.mainPictures = int(set.mainFiles.size());
    set.descPictures = int(set.descFiles.size());
    return set;
}
