#include "platform/files/thumbnail_loader.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QThreadPool>

#include <atomic>
#include <limits>

// What the workers share with the loader. They post results only while
// holding the mutex and only to a loader still there: once the destructor has
// cleared `loader`, nothing more is posted, and what was posted before goes
// with the object.
struct ThumbnailLoader::Shared
{
    QMutex mutex;
    ThumbnailLoader *loader = nullptr;
    std::atomic<quint64> generation{0};
};

namespace {

bool exceeds(const QSize &size, const QSize &bound)
{
    return size.width() > bound.width() || size.height() > bound.height();
}

// A changed file is a new picture under the same name.
QString cacheKey(const QString &path)
{
    const QFileInfo file(path);
    return path + QLatin1Char('\n') + QString::number(file.lastModified().toMSecsSinceEpoch()) +
           QLatin1Char('\n') + QString::number(file.size());
}

} // namespace

QImage decodeThumbnail(const QString &path, const QSize &bound)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    // JPEG scales while decoding: a fraction of the work of a full decode.
    if (size.isValid() && exceeds(size, bound))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (!image.isNull() && exceeds(image.size(), bound))
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

ThumbnailLoader::ThumbnailLoader(const Limits &limits, QThreadPool *pool, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
    , m_pool(pool ? pool : QThreadPool::globalInstance())
    , m_shared(std::make_shared<Shared>())
    , m_cache(limits.cachePixels)
{
    m_shared->loader = this;
}

ThumbnailLoader::~ThumbnailLoader()
{
    Shared &shared = *m_shared;
    QMutexLocker lock(&shared.mutex);
    shared.loader = nullptr;
    shared.generation.store(std::numeric_limits<quint64>::max());
}

void ThumbnailLoader::startOver()
{
    m_shared->generation = ++m_generation;
}

void ThumbnailLoader::request(const QString &path)
{
    const QString key = cacheKey(path);
    if (const QImage *cached = m_cache.object(key)) {
        emit thumbnailReady(path, *cached);
        return;
    }
    ++m_pending;
    m_pool->start([shared = m_shared, generation = m_generation, path, key, bound = m_limits.bound] {
        const bool wanted = shared->generation == generation;
        const QImage image = wanted ? decodeThumbnail(path, bound) : QImage();
        QMutexLocker lock(&shared->mutex);
        if (ThumbnailLoader *loader = shared->loader) {
            QMetaObject::invokeMethod(
                loader, [=] { loader->arrived(generation, path, key, image, wanted); }, Qt::QueuedConnection);
        }
    });
}

void ThumbnailLoader::arrived(quint64 generation, const QString &path, const QString &key, const QImage &image,
                              bool decoded)
{
    --m_pending;
    if (decoded)
        ++m_decoded;
    // Kept even when nobody waits for it any more: the user may come back.
    if (!image.isNull())
        m_cache.insert(key, new QImage(image), std::max<qsizetype>(1, qsizetype(image.width()) * image.height()));
    if (generation != m_generation)
        return;
    if (image.isNull())
        emit thumbnailFailed(path);
    else
        emit thumbnailReady(path, image);
}
