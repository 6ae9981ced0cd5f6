#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>

class QMenu;
class QWidget;

// The tray icon as its own object: it shows the program's icon with the tool
// tip "Zorvane图片下载器" and tells the window what the user asked for. The
// window does not reach into it, and it does not know the window.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    static QString toolTip() { return QStringLiteral("Zorvane图片下载器"); }

    // `fileMenu` is the window's "文件" menu, popped up by the right button.
    TrayIcon(const QIcon &icon, QMenu *fileMenu, QObject *parent = nullptr);

    // Start-up: shows the icon where the desktop has a tray.
    void add();
    // Shutdown: takes the icon away.
    void remove();
    // The icon is actually shown: only then may a minimised window leave the task bar.
    bool isShown() const;

    // What a click on the icon does; the platform's clicks come here too.
    void activate(QSystemTrayIcon::ActivationReason reason, const QPoint &where);

signals:
    // Left button: a minimised window comes back; a normal one stays as it is.
    void restoreRequested();
    // Right button: the "文件" menu was popped up at this position.
    void menuShown(const QPoint &where);

private:
    QSystemTrayIcon m_icon;
    QMenu *m_fileMenu;
};

// A minimised window hides itself (it leaves the task bar) only while a tray
// icon can bring it back; without one it stays reachable in the task bar.
bool hidesWhenMinimised(Qt::WindowStates states, bool trayShown);

// restoreRequested's answer: a minimised window is shown in its normal state
// and brought to the front; any other window is left as it is.
void restoreIfMinimised(QWidget *window);
