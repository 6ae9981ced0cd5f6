#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The desktop's notifications, behind a seam: the check tells, the platform shows.
class Notifier : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // `done` learns whether the desktop took the notification, and if not why.
    virtual void notify(const QString &summary, const QString &body,
                        std::function<void(bool shown, const QString &error)> done) = 0;

signals:
    // The user clicked a notification this notifier sent.
    void activated();
};
