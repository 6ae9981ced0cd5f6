#pragma once

class QString;
class QUrl;

// http or https with a host: the only addresses the program loads in its
// views, fetches, or hands to the desktop's browser. Callers parse the text
// as their source writes it; this is the one rule on what comes out.
bool isWebAddress(const QUrl &url);

// Text as a list line or a typed box gives it, read as an address bar reads
// it (without a scheme, http): a web address with a host a browser could
// reach, one with a dot, an IP address or localhost. A caption such as
// "宝贝url" is none, and is not worth a load that can only fail.
bool isWebAddressText(const QString &text);
