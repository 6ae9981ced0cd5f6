#pragma once

#include "platform/desktop/notifier.h"

#include <QList>

// org.freedesktop.Notifications on the session bus, asked without waiting.
// A click on one of its notifications ("default" action) is told as activated().
class DBusNotifier : public Notifier
{
    Q_OBJECT
public:
    explicit DBusNotifier(QObject *parent = nullptr);
    void notify(const QString &summary, const QString &body,
                std::function<void(bool shown, const QString &error)> done) override;

private slots:
    // Slots by name: Qt D-Bus connects bus signals only so.
    void onActionInvoked(uint id, const QString &action);

private:
    bool m_listening = false;
    QList<uint> m_sent;
};
