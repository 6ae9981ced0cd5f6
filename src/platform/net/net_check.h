#pragma once

#include <QObject>
#include <QString>

#include <functional>

// CheckNetOpen: is the network usable at all? A name lookup of one host only;
// nothing is connected to or sent. Asynchronous, so the window never waits;
// tests put a check of their own in its place, one that answers when they say.
class NetCheck : public QObject
{
    Q_OBJECT
public:
    explicit NetCheck(const QString &host, QObject *parent = nullptr);

    QString host() const;

    // done(reachable) is called once, later, from the event loop: true when the
    // host name resolved to at least one address. Not called when context is
    // destroyed first.
    virtual void CheckNetOpen(const QObject *context, std::function<void(bool)> done);

private:
    QString m_host;
};
