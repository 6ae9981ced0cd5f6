#pragma once

#include <QRect>
#include <QSize>
#include <QStyledItemDelegate>

// A tile of the 宝贝预览 window: the picture whole inside a fixed square, its
// aspect kept and never enlarged, framed so that a white picture shows where
// it ends, on the square's own shade; its caption just under the square, the
// next row well below the caption.
class PreviewTiles : public QStyledItemDelegate
{
public:
    PreviewTiles(const QSize &square, int captionLines, QObject *parent = nullptr);

    // Where a picture of `picture` size stands in `square`: centred, as large
    // as fits without enlarging it.
    static QRect pictureRect(const QSize &picture, const QRect &square);

    // The square within a tile's rectangle, and the caption's room below it.
    QRect squareIn(const QRect &tile) const;
    QRect captionIn(const QRect &tile) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QSize m_square;
    int m_captionLines;
};
