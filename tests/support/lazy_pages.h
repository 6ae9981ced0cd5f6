#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include "fixture_server.h"

// A detail page written the way marketplaces write lazy pages: each
// description picture carries its address (without the scheme) in a data
// attribute and gets its src only when it comes into view (an
// IntersectionObserver), and the description arrives in sections, each
// appended when the end of the last one comes near: the page grows several
// times while it is scrolled.
struct LazyDetailPage
{
    QString title;
    QStringList mainImages;
    QList<QPair<QString, QString>> attributes;
    struct Picture
    {
        QString address;
        int height = 600; // as shown; short pictures are easy to jump over
    };
    QList<Picture> descImages;
    int sections = 3;
    int fillerHeight = 2000; // between the attributes and the description
};

QString lazyDetailPageHtml(const LazyDetailPage &page);

// A lazy page of about `height` pixels with `mainCount` main and `descCount`
// description pictures served from `server` (each answered `delayMs` late),
// description pictures `descWidth` wide. Short and tall pictures alternate.
// Served at detailPageAddress(id); returns the page.
LazyDetailPage serveLazyItem(FixtureServer &server, int id, int height, int mainCount, int descCount,
                             int delayMs = 0, int descWidth = 750);
