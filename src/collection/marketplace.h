#pragma once

#include <QString>

// The marketplace's addresses in one place, so that tests and demos can point
// the program at a local copy of the site.
struct Marketplace
{
    QString homePage = QStringLiteral("https://www.zorvane.com/");
    // Host of item detail pages; the item link pattern is built from it.
    QString detailHost = QStringLiteral("detail.zorvane.com");
    // Host that the reachability check resolves.
    QString checkHost = QStringLiteral("www.zorvane.com");

    // "http://<detail host>/offer/\d+?\.html" with the host's dots escaped.
    QString itemLinkPattern() const;
};
