#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class LocalWebServer;

// Marketplace pages made at run time, written as the marketplace writes them:
// the demo marketplace and the tests load them in a real browser.

struct DetailPage
{
    QString title;
    // Full-size addresses, named in each gallery entry's JSON ("original")
    // next to a preview and a thumbnail derived from them.
    QStringList mainImages;
    // (name, value) rows of the attribute table, two pairs to a table row.
    QList<QPair<QString, QString>> attributes;
    // Inserted into the description block by the page's own script only once
    // the window has been scrolled down to it; each grows the page by 600 px.
    QStringList descImages;
    // Height in pixels of the content between the attributes and the description.
    int height = 3000;
    // Extra markup at the end of <head>, e.g. the page's own scripts.
    QString headHtml;
};

struct ShopOfferList
{
    QString title;
    // Item detail addresses; the offer list names each one twice (picture and caption).
    QStringList itemLinks;
};

QString detailPageHtml(const DetailPage &page);
QString shopOfferListHtml(const ShopOfferList &page);
// A page with the given body; a null title leaves out the <title> element.
QString plainPageHtml(const QString &title, const QString &bodyHtml, const QString &headHtml = QString());

// The small copy of a full-size picture that a detail page's gallery shows.
QString galleryThumbnail(const QString &original);

// "http://detail.zorvane.com/offer/<id>.html"
QString detailPageAddress(int itemId);
// "http://<shop>.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=<n>"
QString shopOfferListAddress(const QString &shop, int pageNum);
// "<server base>/img/<name>": pictures are fetched from the server directly.
QString imageAddress(const LocalWebServer &server, const QString &name);

// Serves the page at an absolute address (host, path and query as given).
void servePage(LocalWebServer &server, const QString &address, const QString &html);
// Serves a picture of the given size at each address, in the format its extension names.
void servePictures(LocalWebServer &server, const QStringList &addresses, int width, int height);

// An encoded picture of the given size.
// format: "JPG", "PNG", "GIF", "BMP", "WEBP".
QByteArray makePicture(int width, int height, const char *format = "JPG");
