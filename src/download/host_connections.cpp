#include "download/host_connections.h"

#include <QUrl>

QString HostConnections::hostOf(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    return url.host().toLower() + QLatin1Char(':') + QString::number(url.port(url.scheme() == u"https" ? 443 : 80));
}

bool HostConnections::take(const QString &address)
{
    int &count = m_inUse[hostOf(address)];
    if (count >= PerHost)
        return false;
    ++count;
    return true;
}

void HostConnections::giveBack(const QString &address)
{
    const auto it = m_inUse.find(hostOf(address));
    if (it == m_inUse.end())
        return;
    if (--*it <= 0)
        m_inUse.erase(it);
    emit freed();
}

int HostConnections::inUse(const QString &address) const
{
    return m_inUse.value(hostOf(address));
}
