#pragma once

#include <Qt>

class QWidget;

// The small windows the main window owns (日志, 换肤, 收藏夹): a dialog to the
// window manager, which then keeps it over its owner (X11 marks only dialogs
// as transient for their owner) and does not park it in a corner of the screen.
Qt::WindowFlags ownedWindowFlags();

// Centres the window over its owner's window, inside the owner's screen, as
// it opens; one already open stays where the user put it.
void placeOverOwner(QWidget *window);
