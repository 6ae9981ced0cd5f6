#pragma once

#include <QString>

// The marketplace's addresses in one place, so that tests and demos can point
// the program at a local copy of the site, and the rules that read its
// addresses, so that what counts as "the same page" is decided once.
// The marketplace serves http and https alike: no rule here depends on the scheme.
struct Marketplace
{
    QString homePage = QStringLiteral("https://www.zorvane.com/");
    // Host of item detail pages; the item link pattern is built from it.
    QString detailHost = QStringLiteral("detail.zorvane.com");
    // Host that the reachability check resolves.
    QString checkHost = QStringLiteral("www.zorvane.com");

    // "https?://<detail host>/offer/\d+?\.html" with the host's dots escaped.
    QString itemLinkPattern() const;

    // What every address of one page has in common: host (any case) and
    // port unless the scheme's own, and path ("/" when empty). The scheme,
    // user, query and fragment do not count: the marketplace moves http to
    // https and adds tracking queries to the same page.
    static QString pageKey(const QString &address);
    // The reader asked for one page and was shown another (not merely the
    // same page over https, with "/" or with a query added).
    static bool movedElsewhere(const QString &asked, const QString &reported);
    // A shop's name: its address before the first "." without the scheme.
    static QString shopName(const QString &shopAddress);
    // The shop's offer-list page `pageNumber`.
    static QString shopPageAddress(const QString &shopAddress, int pageNumber);
    // A request's address as the engine and the page's timeline both write
    // it: encoded, without the fragment (which never reaches the network).
    static QString requestKey(const QString &address);
};
