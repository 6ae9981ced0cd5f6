#include "shell/demo/demo_pages.h"

#include "platform/net/local_web_server.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QUrl>

namespace {

QString esc(const QString &text) { return text.toHtmlEscaped(); }

// m1.jpg -> m1.<size>.jpg, as the marketplace names its scaled copies.
QString scaled(const QString &address, const QString &size)
{
    const qsizetype dot = address.lastIndexOf(u'.');
    return dot < 0 ? address : address.left(dot) + u'.' + size + address.mid(dot);
}

QString galleryEntry(const QString &original, const QString &title)
{
    return QStringLiteral("<li class=\"tab-trigger\" data-imgs='{\"preview\":\"%1\",\"original\":\"%2\"}'>"
                          "<div class=\"vertical-img\"><a class=\"box-img\" href=\"javascript:void(0);\">"
                          "<img src=\"%3\" alt=\"%4\"></a></div></li>\n")
        .arg(scaled(original, QStringLiteral("400x400")), original, galleryThumbnail(original), esc(title));
}

QString attributeRows(const QList<QPair<QString, QString>> &attributes)
{
    QString rows;
    for (qsizetype i = 0; i < attributes.size(); i += 2) {
        rows += QStringLiteral("<tr>");
        for (qsizetype j = i; j < std::min(i + 2, attributes.size()); ++j)
            rows += QStringLiteral("<td class=\"de-feature\">%1</td><td class=\"de-value\">%2</td>")
                        .arg(esc(attributes.at(j).first), esc(attributes.at(j).second));
        rows += QStringLiteral("</tr>\n");
    }
    return rows;
}

QString jsonList(const QStringList &items)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(items)).toJson(QJsonDocument::Compact));
}

} // namespace

QString plainPageHtml(const QString &title, const QString &bodyHtml, const QString &headHtml)
{
    const QString titleElement = title.isNull() ? QString() : QStringLiteral("<title>%1</title>").arg(esc(title));
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">") + titleElement + headHtml
        + QStringLiteral("</head>\n<body style=\"margin:0\">\n") + bodyHtml + QStringLiteral("\n</body></html>\n");
}

QString galleryThumbnail(const QString &original)
{
    return scaled(original, QStringLiteral("60x60"));
}

QString detailPageHtml(const DetailPage &page)
{
    QString gallery;
    for (const QString &original : page.mainImages)
        gallery += galleryEntry(original, page.title);

    const QString body = QStringLiteral(R"HTML(<div id="site-nav"><a href="https://www.zorvane.com/">Zorvane</a></div>
<div id="mod-detail" class="mod-detail">
<div id="mod-detail-title"><h1 class="d-title">%1</h1></div>
<div id="dt-tab" class="tab-pane"><ul class="nav nav-tabs fd-clr">
%2</ul></div>
<div id="mod-detail-attributes" class="mod-detail-attributes"><div class="obj-content">
<table><tbody>
%3</tbody></table></div></div>
</div>
<div id="page-filler" style="height:%4px"></div>
<div id="desc-lazyload-container" class="desc-lazyload-container"></div>
<script>
(function () {
  var images = %5;
  var container = document.getElementById('desc-lazyload-container');
  var done = false;
  function arrive() {
    if (done || !images.length || window.scrollY + window.innerHeight < container.offsetTop)
      return;
    done = true;
    var html = '';
    images.forEach(function (src) {
      html += '<p><img src="' + src + '" style="display:block;width:750px;height:600px"></p>';
    });
    container.innerHTML = html;
  }
  window.addEventListener('scroll', arrive);
})();
</script>)HTML")
                             .arg(esc(page.title), gallery, attributeRows(page.attributes),
                                  QString::number(page.height), jsonList(page.descImages));
    return plainPageHtml(page.title, body, page.headHtml);
}

QString shopOfferListHtml(const ShopOfferList &page)
{
    QString offers;
    int n = 0;
    for (const QString &link : page.itemLinks)
        offers += QStringLiteral("<li class=\"offer-list-row-offer\"><div class=\"image\"><a href=\"%1\" target=\"_blank\">"
                                 "<img src=\"/img/offer%2.60x60.jpg\"></a></div>"
                                 "<div class=\"title\"><a href=\"%1\" target=\"_blank\">宝贝 %2</a></div></li>\n")
                      .arg(link, QString::number(++n));
    return plainPageHtml(page.title, QStringLiteral("<div id=\"wp-all-offer-tab\"><ul class=\"offer-list-row\">\n")
                                         + offers + QStringLiteral("</ul></div>"));
}

QString detailPageAddress(int itemId)
{
    return QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(itemId);
}

QString shopOfferListAddress(const QString &shop, int pageNum)
{
    return QStringLiteral("http://%1.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=%2")
        .arg(shop)
        .arg(pageNum);
}

QString imageAddress(const LocalWebServer &server, const QString &name)
{
    return server.base() + QStringLiteral("/img/") + name;
}

namespace {

// The server's route for an absolute address: host, then the target as sent.
QString routeOf(const QString &address)
{
    const QUrl url(address);
    QString target = url.path(QUrl::FullyEncoded);
    if (url.hasQuery())
        target += u'?' + url.query(QUrl::FullyEncoded);
    return url.host() + (target.isEmpty() ? QStringLiteral("/") : target);
}

} // namespace

void servePage(LocalWebServer &server, const QString &address, const QString &html)
{
    server.route(routeOf(address), LocalWebServer::page(html));
}

void servePictures(LocalWebServer &server, const QStringList &addresses, int width, int height)
{
    for (const QString &address : addresses) {
        QByteArray format = QFileInfo(QUrl(address).path()).suffix().toUpper().toLatin1();
        if (format == "JPEG")
            format = "JPG";
        const QByteArray type = format == "JPG" ? QByteArray("image/jpeg") : "image/" + format.toLower();
        server.route(routeOf(address),
                     LocalWebServer::bytes(makePicture(width, height, format.constData()), type));
    }
}

QByteArray makePicture(int width, int height, const char *format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(200, 40, 40));
    painter.end();
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}
