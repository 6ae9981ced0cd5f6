#include "platform/dbus_notifier.h"

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
        const QString why = bus.lastError().message();
        done(false, QStringLiteral("没有桌面会话总线(D-Bus)") + (why.isEmpty() ? QString() : QStringLiteral(":") + why));
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
            done(false, reply.error().message());
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
