#pragma once

#include "platform/files/image_headers.h"
#include "platform/files/thumbnail_loader.h"

#include <QHash>
#include <QPixmap>
#include <QWidget>

class Opener;
class QLabel;
class QListWidget;
class QListWidgetItem;

// 宝贝预览: the pictures of one downloaded item as thumbnails in page order,
// each with its pixel size, shown as they are decoded. A double-click opens a
// picture on the desktop. Non-modal, kept over its owner's window; whoever
// owns it says which item to show.
class ItemPreviewWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ItemPreviewWindow(Opener &opener, QWidget *parent = nullptr,
                               const ThumbnailLoader::Limits &limits = {});

public slots:
    // A line of the downloaded list; the pictures of the item shown before
    // that have not arrived yet are no longer decoded.
    void showItem(const QString &line);

signals:
    // Every picture of the item has its thumbnail, or says it has none.
    void allShown();

private:
    void thumbnailArrived(const QString &path, const QImage &thumbnail);
    void thumbnailFailed(const QString &path);
    void settled(const QString &path);
    void open(QListWidgetItem *tile);
    void showNotes(const QString &text);

    Opener &m_opener;
    ImageHeaders m_headers;
    ThumbnailLoader m_loader;
    QPixmap m_placeholder;
    QLabel *m_title;
    QLabel *m_facts;
    QLabel *m_notes;
    QListWidget *m_tiles;
    QHash<QString, QListWidgetItem *> m_waiting; // by path
    QString m_problems; // what the item's folder lacks
};
