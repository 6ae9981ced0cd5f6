#include "shell/browser/tray_icon.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

TrayIcon::TrayIcon(const QIcon &icon, QMenu *fileMenu, QObject *parent)
    : QObject(parent)
    , m_icon(icon)
    , m_fileMenu(fileMenu)
{
    m_icon.setToolTip(toolTip());
    // The menu is popped up here rather than set as the icon's context menu:
    // the right button then works the same on every tray.
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { activate(reason, QCursor::pos()); });
}

void TrayIcon::add()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

void TrayIcon::remove()
{
    m_icon.hide();
}

bool TrayIcon::isShown() const
{
    return m_icon.isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason reason, const QPoint &where)
{
    if (reason == QSystemTrayIcon::Trigger) {
        emit restoreRequested();
    } else if (reason == QSystemTrayIcon::Context) {
        if (m_fileMenu)
            m_fileMenu->popup(where);
        emit menuShown(where);
    }
}

bool hidesWhenMinimised(Qt::WindowStates states, bool trayShown)
{
    return trayShown && states.testFlag(Qt::WindowMinimized);
}

void restoreIfMinimised(QWidget *window)
{
    if (!window || !window->isMinimized())
        return;
    window->showNormal();
    window->raise();
    window->activateWindow();
}
