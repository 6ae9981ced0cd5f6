#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

class QThreadPool;

// Decodes pictures at thumbnail size on a thread pool and keeps the latest
// ones in a cache bounded by pixels. Results arrive on the loader's thread as
// signals, one per request, in whatever order the pool finishes them.
//
// Requests belong to a generation: startOver() drops every earlier request,
// so when the user moves on quickly the pool skips the pictures nobody looks
// at any more instead of decoding them first.
class ThumbnailLoader : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        // Thumbnails fit in here with their aspect kept; smaller pictures stay as they are.
        QSize bound{160, 160};
        // About 450 thumbnails of 800×1200 pictures at the default bound.
        qsizetype cachePixels = 8'000'000;
    };

    // Decodes on `pool`, the application's global pool when none is given.
    explicit ThumbnailLoader(const Limits &limits, QThreadPool *pool = nullptr, QObject *parent = nullptr);
    ~ThumbnailLoader() override;

    // Earlier requests are neither decoded (unless already under way) nor answered.
    void startOver();
    // A cached thumbnail is reported before this returns; any other later.
    void request(const QString &path);

    // Requests of any generation whose result has not come back yet.
    int pending() const { return m_pending; }
    // Pictures actually decoded so far (skipped requests not counted).
    int decoded() const { return m_decoded; }
    qsizetype cachedPixels() const { return m_cache.totalCost(); }
    qsizetype cachedCount() const { return m_cache.count(); }
    QSize bound() const { return m_limits.bound; }

signals:
    void thumbnailReady(const QString &path, const QImage &thumbnail);
    // The picture could not be decoded.
    void thumbnailFailed(const QString &path);

private:
    struct Shared;

    void arrived(quint64 generation, const QString &path, const QString &key, const QImage &image, bool decoded);

    Limits m_limits;
    QThreadPool *m_pool;
    std::shared_ptr<Shared> m_shared;
    quint64 m_generation = 0;
    QCache<QString, QImage> m_cache;
    int m_pending = 0;
    int m_decoded = 0;
};

// The picture decoded to fit in `bound`, aspect kept and never enlarged; a
// null image when it cannot be read. Safe on any thread.
QImage decodeThumbnail(const QString &path, const QSize &bound);
