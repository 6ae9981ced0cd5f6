#pragma once

#include <Qt>

class QWidget;

// The small windows the main window owns (日志, 换肤, 收藏夹, 店铺上新, 宝贝预览):
// a dialog to the window manager, which then keeps it over its owner (X11
// marks only dialogs as transient for their owner) and does not park it in a
// corner of the screen.
Qt::WindowFlags ownedWindowFlags();

// Centres the window over its owner's window as it opens, no larger than the
// owner (unless its layout needs more) and inside the owner's screen; one
// already open stays where the user put it.
void placeOverOwner(QWidget *window);

// Esc closes the window, as it closes a dialog.
void closeOnEscape(QWidget *window);
