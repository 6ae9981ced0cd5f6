#include "collection/marketplace.h"

#include <QRegularExpression>

QString Marketplace::itemLinkPattern() const
{
    return QStringLiteral("http://") + QRegularExpression::escape(detailHost)
        + QStringLiteral("/offer/\\d+?\\.html");
}
