#include "shell/window/preview/preview_tiles.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

namespace {

constexpr int Margin = 6;

} // namespace

PreviewTiles::PreviewTiles(const QSize &square, int captionLines, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_square(square)
    , m_captionLines(captionLines)
{
}

QRect PreviewTiles::pictureRect(const QSize &picture, const QRect &square)
{
    if (picture.isEmpty())
        return {};
    const QSize shown = picture.boundedTo(square.size()) == picture
        ? picture
        : picture.scaled(square.size(), Qt::KeepAspectRatio);
    return {square.x() + (square.width() - shown.width()) / 2, square.y() + (square.height() - shown.height()) / 2,
            shown.width(), shown.height()};
}

QRect PreviewTiles::squareIn(const QRect &tile) const
{
    return {tile.x() + (tile.width() - m_square.width()) / 2, tile.y() + Margin, m_square.width(), m_square.height()};
}

QRect PreviewTiles::captionIn(const QRect &tile) const
{
    const int top = squareIn(tile).bottom() + 1 + Margin / 2;
    return {tile.x() + Margin / 2, top, tile.width() - Margin, tile.bottom() + 1 - top};
}

QSize PreviewTiles::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {m_square.width() + 2 * Margin,
            Margin + m_square.height() + Margin / 2 + m_captionLines * option.fontMetrics.lineSpacing() + Margin};
}

void PreviewTiles::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget *view = option.widget;
    QStyle *style = view ? view->style() : QApplication::style();
    // The selection and hover background, as the look draws it.
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, view);

    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QList<QSize> sizes = icon.availableSizes();
    const QSize natural = sizes.isEmpty() ? m_square : sizes.first();
    const QRect square = squareIn(option.rect);
    const QRect shown = pictureRect(natural, square);
    // The square and the picture's edge in view: a picture with a white
    // background does not melt into the list's, and the caption under the
    // square plainly belongs to it.
    painter->fillRect(square, option.palette.color(QPalette::Window));
    // A line a pixel wide around the picture, under it: drawn over, it could
    // cover the picture's own edge at a fractional display scaling.
    painter->fillRect(shown.adjusted(-1, -1, 1, 1), option.palette.color(QPalette::Mid));
    painter->drawPixmap(shown, icon.pixmap(natural));

    const bool selected = option.state & QStyle::State_Selected;
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->save();
    painter->setPen(foreground.isValid() && !selected
                        ? foreground.value<QBrush>().color()
                        : option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(captionIn(option.rect), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}
