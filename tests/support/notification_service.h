#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A small desktop notification service on the test's private session bus,
// on a connection of its own so that calls go through the bus daemon.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        QString appName;
        QString summary;
        QString body;
        QStringList actions;
        uint id = 0;
    };

    NotificationService() : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notification-service"))) {}
    ~NotificationService() override { stop(); QDBusConnection::disconnectFromBus(QStringLiteral("notification-service")); }

    bool start()
    {
        return m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportAllSlots)
            && m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    void stop()
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }
    // As the desktop does when the user clicks notification `id`.
    void click(uint id, const QString &action = QStringLiteral("default"))
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                         QStringLiteral("org.freedesktop.Notifications"),
                                                         QStringLiteral("ActionInvoked"));
        signal << id << action;
        m_bus.send(signal);
    }

    QList<Call> calls;

signals:
    void called();

public slots:
    uint Notify(const QString &appName, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &, int)
    {
        calls.append({appName, summary, body, actions, uint(calls.size() + 41)});
        emit called();
        return calls.last().id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

private:
    QDBusConnection m_bus;
};
