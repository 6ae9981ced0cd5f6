#include "platform/net/web_address.h"

#include <QHostAddress>
#include <QString>
#include <QUrl>

bool isWebAddress(const QUrl &url)
{
    // QUrl keeps the scheme in lower case, whatever the text said.
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

bool isWebAddressText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(QLatin1Char(' ')))
        return false;
    const QUrl url = QUrl::fromUserInput(trimmed);
    if (!isWebAddress(url))
        return false;
    const QString host = url.host();
    return host.contains(QLatin1Char('.')) || host == u"localhost" || !QHostAddress(host).isNull();
}
