#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include "fixture_server.h"

// How late a set of answers comes: the i-th of n as late as min + (max - min)
// spread over the set in a fixed shuffled order, so that neighbours differ.
struct Lateness
{
    int minMs = 0;
    int maxMs = 0;
    int at(int i, int n) const;
};

// A detail page written the way marketplaces write lazy pages: the
// description arrives in chunks, each asked for by the page's own script (a
// fetch) when the reader nears the end of what is there, and answered late as
// a description service answers; each description picture carries its
// address (without the scheme) in a data attribute and gets its src only when
// it comes into view. The page grows several times while it is scrolled.
struct LazyDetailPage
{
    int id = 0;
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
    // Filled when served: the server paths of the chunks, in the order the
    // page asks for them, and how late each answers.
    QStringList chunkPaths;
    QList<int> chunkDelaysMs;
};

QString lazyDetailPageHtml(const LazyDetailPage &page);

struct LazyServing
{
    int height = 12000; // about, once every chunk is in
    int mainCount = 5;
    int descCount = 15;
    int sections = 3;
    int descWidth = 750;
    int descHeight = 0; // shown height of every description picture; 0: short and tall alternate
    int pageDelayMs = 0;
    Lateness chunks;
    Lateness pictures;
    // A request the page keeps open for ever (a long poll, asked again whenever answered).
    bool longPoll = false;
    // The page fetches through a 302 as it loads and then this often (0: never).
    int redirectPollMs = 0;
    // Requests the page's timeline does not report as its own: a frame of the
    // page's site that fetches for 1 s, and a fetch as the page is left, which
    // goes on while the next page loads.
    bool strays = false;
};

// Serves the page at detailPageAddress(id), its chunks and its pictures.
LazyDetailPage serveLazyItem(FixtureServer &server, int id, const LazyServing &serving);
// Every request answered `delayMs` late.
LazyDetailPage serveLazyItem(FixtureServer &server, int id, int height, int mainCount, int descCount,
                             int delayMs = 0, int descWidth = 750);
