#include "shell/browser/owned_window.h"

#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

Qt::WindowFlags ownedWindowFlags()
{
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
        | Qt::WindowCloseButtonHint;
}

void placeOverOwner(QWidget *window)
{
    const QWidget *owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (!owner || window->isVisible())
        return;
    // The size it shows with: its layout may still grow it to what it needs.
    if (QLayout *layout = window->layout())
        layout->activate();
    QRect place(QPoint(), window->size());
    place.moveCenter(owner->geometry().center());
    if (const QScreen *screen = owner->screen()) {
        const QRect room = screen->availableGeometry();
        place.moveLeft(std::max(room.left(), std::min(place.left(), room.right() + 1 - place.width())));
        place.moveTop(std::max(room.top(), std::min(place.top(), room.bottom() + 1 - place.height())));
    }
    window->move(place.topLeft());
}
