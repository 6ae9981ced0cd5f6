#include "collection/marketplace.h"

#include <QRegularExpression>
#include <QUrl>

namespace {

QUrl parsed(const QString &address)
{
    return QUrl::fromUserInput(address.trimmed());
}

int defaultPort(const QString &scheme)
{
    if (scheme == u"http")
        return 80;
    if (scheme == u"https")
        return 443;
    return -1;
}

QString withoutScheme(const QString &address)
{
    static const QRegularExpression scheme(QStringLiteral("^https?://"), QRegularExpression::CaseInsensitiveOption);
    return QString(address).remove(scheme);
}

} // namespace

QString Marketplace::itemLinkPattern() const
{
    return QStringLiteral("https?://") + QRegularExpression::escape(detailHost)
        + QStringLiteral("/offer/\\d+?\\.html");
}

QString Marketplace::pageKey(const QString &address)
{
    const QUrl url = parsed(address);
    if (!url.isValid() || url.host().isEmpty())
        return address.trimmed();
    QString key = url.host(QUrl::FullyEncoded).toLower();
    const int port = url.port();
    if (port >= 0 && port != defaultPort(url.scheme()))
        key += QLatin1Char(':') + QString::number(port);
    const QString path = url.adjusted(QUrl::NormalizePathSegments).path(QUrl::FullyEncoded);
    return key + (path.isEmpty() ? QStringLiteral("/") : path);
}

bool Marketplace::movedElsewhere(const QString &asked, const QString &reported)
{
    const QUrl r = parsed(reported);
    return r.isValid() && !r.host().isEmpty() && pageKey(asked) != pageKey(reported);
}

QString Marketplace::shopName(const QString &shopAddress)
{
    return withoutScheme(shopAddress).section(QLatin1Char('.'), 0, 0);
}

QString Marketplace::shopPageAddress(const QString &shopAddress, int pageNumber)
{
    QString shop = shopAddress.trimmed();
    // "https://shop.zorvane.com/" as typed or pasted: one "/" before "page".
    while (shop.endsWith(QLatin1Char('/')))
        shop.chop(1);
    return shop + QStringLiteral("/page/offerlist.htm?sortType=tradenumdown&pageNum=") + QString::number(pageNumber);
}

QString Marketplace::requestKey(const QString &address)
{
    return QUrl(address).adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
}
