#include "lazy_pages.h"

#include "fixture_pages.h"
#include "fixture_server.h"
#include "pictures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

QString lazyDetailPageHtml(const LazyDetailPage &page)
{
    // The gallery and the attribute table as on the ordinary pages; only the
    // description differs.
    DetailPage plain;
    plain.title = page.title;
    plain.mainImages = page.mainImages;
    plain.attributes = page.attributes;
    plain.height = page.fillerHeight;
    QJsonArray pictures;
    for (const LazyDetailPage::Picture &p : page.descImages) {
        QString schemeless = p.address;
        schemeless.remove(QRegularExpression(QStringLiteral("^https?:")));
        pictures.append(QJsonObject{{QStringLiteral("src"), schemeless}, {QStringLiteral("h"), p.height}});
    }
    const QString script = QStringLiteral(R"JS(<script>
addEventListener('DOMContentLoaded', function () {
  var pictures = %1, sections = %2;
  var container = document.getElementById('desc-lazyload-container');
  var perSection = Math.ceil(pictures.length / sections), next = 0;
  var show = new IntersectionObserver(function (entries) {
    entries.forEach(function (e) {
      if (!e.isIntersecting) return;
      e.target.src = location.protocol + e.target.getAttribute('data-lazyload-src');
      show.unobserve(e.target);
    });
  });
  function appendSection() {
    pictures.slice(next, next + perSection).forEach(function (p) {
      var img = document.createElement('img');
      img.setAttribute('data-lazyload-src', p.src);
      img.style.cssText = 'display:block;width:750px;height:' + p.h + 'px';
      container.appendChild(img);
      show.observe(img);
    });
    next += perSection;
    if (next >= pictures.length) return;
    var end = document.createElement('div');
    end.style.height = '1px';
    container.appendChild(end);
    var near = new IntersectionObserver(function (entries) {
      if (!entries[0].isIntersecting) return;
      near.disconnect();
      end.remove();
      setTimeout(appendSection, 50);
    }, {rootMargin: '200px'});
    near.observe(end);
  }
  appendSection();
});
</script>)JS")
                               .arg(QString::fromUtf8(QJsonDocument(pictures).toJson(QJsonDocument::Compact)))
                               .arg(page.sections);
    // The ordinary page's own description script finds no pictures to add.
    plain.headHtml = script;
    return detailPageHtml(plain);
}

LazyDetailPage serveLazyItem(FixtureServer &server, int id, int height, int mainCount, int descCount, int delayMs,
                             int descWidth)
{
    const QString n = QString::number(id);
    LazyDetailPage page;
    page.title = QStringLiteral("懒加载宝贝%1").arg(id);
    for (int m = 1; m <= mainCount; ++m)
        page.mainImages << imageAddress(server, n + QStringLiteral("-lazy-main%1.jpg").arg(m));
    page.attributes = {{QStringLiteral("货号"), QStringLiteral("LZ-%1").arg(id)}};
    // Alternate short and tall pictures so that together they fill the page.
    const int descHeight = std::max(descCount * 200, height - page.fillerHeight - 1000);
    const int tall = descCount > 0 ? (2 * descHeight / descCount) - 120 : 0;
    for (int d = 1; d <= descCount; ++d)
        page.descImages.append({imageAddress(server, n + QStringLiteral("-lazy-desc%1.jpg").arg(d)),
                                d % 2 ? 120 : std::max(200, tall)});
    const auto serve = [&](const QString &address, int width, int pictureHeight) {
        FixtureServer::Response r = FixtureServer::bytes(makePicture(width, pictureHeight), "image/jpeg");
        r.delayMs = delayMs;
        server.route(QUrl(address).path(), r);
    };
    for (const QString &address : page.mainImages)
        serve(address, 800, 800);
    for (const LazyDetailPage::Picture &p : page.descImages)
        serve(p.address, descWidth, 40 + p.height % 7);
    FixtureServer::Response html = FixtureServer::page(lazyDetailPageHtml(page));
    html.delayMs = delayMs;
    server.route(QStringLiteral("detail.zorvane.com/offer/%1.html").arg(id), html);
    return page;
}
