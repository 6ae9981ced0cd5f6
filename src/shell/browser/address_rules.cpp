#include "shell/browser/address_rules.h"

#include "collection/status_log.h"
#include "platform/net/web_address.h"

std::optional<QUrl> AddressBarRules::typedAddress(const QString &text)
{
    if (isBlank(text.trimmed()))
        return QUrl(QStringLiteral("about:blank"));
    const QUrl url = QUrl::fromUserInput(text);
    if (!isWebAddress(url))
        return std::nullopt;
    return url;
}

QString AddressBarRules::refusal(const QString &text)
{
    return QStringLiteral("地址栏只能打开http或https网址,未打开:") + text;
}

bool AddressBarRules::isBlank(const QString &addressBarText)
{
    return addressBarText.compare(u"about:blank", Qt::CaseInsensitive) == 0;
}

std::optional<QUrl> AddressBarRules::urladress_KeyPress(const QString &text)
{
    const std::optional<QUrl> url = typedAddress(text);
    if (!url) {
        if (!text.trimmed().isEmpty())
            m_log.AddMesg(refusal(text));
        return std::nullopt;
    }
    if (!m_history.contains(text, Qt::CaseSensitive))
        m_history.append(text);
    return url;
}
