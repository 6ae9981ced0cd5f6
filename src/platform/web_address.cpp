#include "platform/web_address.h"

#include <QUrl>

bool isWebAddress(const QUrl &url)
{
    // QUrl keeps the scheme in lower case, whatever the text said.
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}
