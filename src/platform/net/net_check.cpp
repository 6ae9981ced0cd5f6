#include "platform/net/net_check.h"

#include <QHostInfo>

NetCheck::NetCheck(const QString &host, QObject *parent)
    : QObject(parent)
    , m_host(host)
{
}

QString NetCheck::host() const
{
    return m_host;
}

void NetCheck::CheckNetOpen(const QObject *context, std::function<void(bool)> done)
{
    // The lookup only watches the context's lifetime and thread.
    QHostInfo::lookupHost(m_host, const_cast<QObject *>(context),
                          [done = std::move(done)](const QHostInfo &info) {
                              done(info.error() == QHostInfo::NoError && !info.addresses().isEmpty());
                          });
}
