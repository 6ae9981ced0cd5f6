#include "platform/desktop/dbus_notifier.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

// Why the desktop did not show the notification, in the user's words: Qt
// D-Bus words its errors in English.
QString failureReason(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::Disconnected:
        return QStringLiteral("没有桌面会话总线(D-Bus),无法连接");
    case QDBusError::ServiceUnknown:
        return QStringLiteral("桌面没有通知服务(%1)").arg(Service);
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return QStringLiteral("通知服务(%1)没有应答").arg(Service);
    case QDBusError::AccessDenied:
        return QStringLiteral("通知服务(%1)拒绝了通知").arg(Service);
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownObject:
    case QDBusError::InvalidArgs:
        return QStringLiteral("桌面的通知服务不支持本程序发送的通知(%1)").arg(Service);
    default:
        // The error's name is what a technician looks up; its English message stays out.
        return QStringLiteral("通知服务(%1)出错,错误代码 %2").arg(Service, error.name());
    }
}

} // namespace

DBusNotifier::DBusNotifier(QObject *parent)
    : Notifier(parent)
{
}

void DBusNotifier::notify(const QString &summary, const QString &body,
                          std::function<void(bool, const QString &)> done)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        done(false, failureReason(QDBusError(QDBusError::Disconnected, QString())));
        return;
    }
    if (!m_listening)
        m_listening = bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                                  SLOT(onActionInvoked(uint, QString)));
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    call << QStringLiteral("Zorvane产品图片下载器") << uint(0) << QStringLiteral("zorvane-picker") << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("打开店铺上新")}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("zorvane-picker")}} << int(-1);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 25000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, done](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            done(false, failureReason(reply.error()));
            return;
        }
        m_sent << reply.value();
        done(true, QString());
    });
}

void DBusNotifier::onActionInvoked(uint id, const QString &action)
{
    if (m_sent.contains(id) && action == u"default")
        emit activated();
}
