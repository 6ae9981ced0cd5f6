#include "shell/window/main/caption_width.h"

#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

int captionWidth(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.rect = QRect(0, 0, 1000, button->height());
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    QString shown = button->text();
    shown.remove(QLatin1Char('&')); // the mnemonic's mark is not drawn
    const QFontMetrics metrics = button->fontMetrics();
    return option.rect.width() - room.width() + metrics.horizontalAdvance(shown) + metrics.averageCharWidth();
}
