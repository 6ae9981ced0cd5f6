#include "shell/browser/owned_window.h"

#include <QLayout>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace {

// Of the owner, left around a small window opened over it.
constexpr int OwnerMargin = 24;

} // namespace

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
    // The window manager's frame, taken to be the same around both windows:
    // the small window's frame, title bar included, stays over the owner's.
    const QRect ownerFrame = owner->frameGeometry();
    const QSize decoration = ownerFrame.size() - owner->geometry().size();
    const QSize room = owner->geometry().size() - QSize(2 * OwnerMargin, 2 * OwnerMargin);
    const QSize least = window->minimumSize().expandedTo(window->layout() ? window->minimumSizeHint() : QSize());
    window->resize(window->size().boundedTo(room).expandedTo(least));
    QRect place(QPoint(), window->size() + decoration);
    place.moveCenter(ownerFrame.center());
    if (const QScreen *screen = owner->screen()) {
        const QRect screenRoom = screen->availableGeometry();
        place.moveLeft(std::max(screenRoom.left(), std::min(place.left(), screenRoom.right() + 1 - place.width())));
        place.moveTop(std::max(screenRoom.top(), std::min(place.top(), screenRoom.bottom() + 1 - place.height())));
    }
    // A window's position is its frame's.
    window->move(place.topLeft());
}

void closeOnEscape(QWidget *window)
{
    auto *key = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(key, &QShortcut::activated, window, &QWidget::close);
}
