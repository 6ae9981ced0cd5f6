#include "lazy_pages.h"

#include "fixture_pages.h"
#include "fixture_server.h"
#include "pictures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

int Lateness::at(int i, int n) const
{
    if (n <= 1 || maxMs <= minMs)
        return n <= 1 ? maxMs : minMs;
    // A fixed shuffle: 7 is prime to most set sizes here.
    const int place = (i * 7) % n;
    return minMs + (maxMs - minMs) * place / (n - 1);
}

QString lazyDetailPageHtml(const LazyDetailPage &page)
{
    // The gallery and the attribute table as on the ordinary pages; only the
    // description differs.
    DetailPage plain;
    plain.title = page.title;
    plain.mainImages = page.mainImages;
    plain.attributes = page.attributes;
    plain.height = page.fillerHeight;
    const QString script = QStringLiteral(R"JS(<script>
addEventListener('DOMContentLoaded', function () {
  var chunks = %1, next = 0;
  var container = document.getElementById('desc-lazyload-container');
  var show = new IntersectionObserver(function (entries) {
    entries.forEach(function (e) {
      if (!e.isIntersecting) return;
      e.target.src = location.protocol + e.target.getAttribute('data-lazyload-src');
      show.unobserve(e.target);
    });
  });
  function askWhenNear() {
    var end = document.createElement('div');
    end.style.height = '1px';
    container.appendChild(end);
    var near = new IntersectionObserver(function (entries) {
      if (!entries[0].isIntersecting) return;
      near.disconnect();
      fetch(chunks[next]).then(function (r) { return r.json(); }).then(function (pictures) {
        end.remove();
        pictures.forEach(function (p) {
          var img = document.createElement('img');
          img.setAttribute('data-lazyload-src', p.src);
          img.style.cssText = 'display:block;width:750px;height:' + p.h + 'px';
          container.appendChild(img);
          show.observe(img);
        });
        if (++next < chunks.length) askWhenNear();
      });
    }, {rootMargin: '200px'});
    near.observe(end);
  }
  if (chunks.length) askWhenNear();
});
</script>)JS")
                               .arg(QString::fromUtf8(
                                   QJsonDocument(QJsonArray::fromStringList(page.chunkPaths)).toJson(QJsonDocument::Compact)));
    // The ordinary page's own description script finds no pictures to add.
    plain.headHtml = script;
    return detailPageHtml(plain);
}

namespace {

const QString LongPollScript = QStringLiteral(
    "<script>(function poll() { fetch('/lazy/poll').then(poll, function () { setTimeout(poll, 1000); }); })();</script>");

QString strayScripts(FixtureServer &server, const LazyServing &s)
{
    const auto late = [&](const char *path, int ms, const char *body = "{}") {
        FixtureServer::Response r = FixtureServer::page(QString::fromUtf8(body));
        r.delayMs = ms;
        server.route(QString::fromUtf8(path), r);
    };
    QString scripts;
    if (s.redirectPollMs > 0) {
        FixtureServer::Response hop = FixtureServer::status(302);
        hop.location = "/lazy/hopped";
        server.route(QStringLiteral("/lazy/hop"), hop);
        late("/lazy/hopped", 100);
        scripts += QStringLiteral("<script>(function hop() { fetch('/lazy/hop'); setTimeout(hop, %1); })();</script>")
                       .arg(s.redirectPollMs);
    }
    if (s.strays) {
        late("/lazy/frame-data", 1000);
        late("/lazy/frame.html", 0, "<script>fetch('/lazy/frame-data');</script>");
        late("/lazy/farewell", 300);
        scripts += QStringLiteral("<script>onbeforeunload = function () { fetch('/lazy/farewell'); };"
                                  "addEventListener('DOMContentLoaded', function () {"
                                  " document.body.appendChild(document.createElement('iframe')).src = '/lazy/frame.html'; });</script>");
    }
    return scripts;
}

} // namespace

LazyDetailPage serveLazyItem(FixtureServer &server, int id, const LazyServing &s)
{
    const QString n = QString::number(id);
    LazyDetailPage page;
    page.id = id;
    page.title = QStringLiteral("懒加载宝贝%1").arg(id);
    page.sections = std::max(1, s.sections);
    for (int m = 1; m <= s.mainCount; ++m)
        page.mainImages << imageAddress(server, n + QStringLiteral("-lazy-main%1.jpg").arg(m));
    page.attributes = {{QStringLiteral("货号"), QStringLiteral("LZ-%1").arg(id)}};
    // Alternate short and tall pictures so that together they fill the page.
    const int descHeight = std::max(s.descCount * 200, s.height - page.fillerHeight - 1000);
    const int tall = s.descCount > 0 ? (2 * descHeight / s.descCount) - 120 : 0;
    for (int d = 1; d <= s.descCount; ++d) {
        const int shown = s.descHeight > 0 ? s.descHeight : d % 2 ? 120 : std::max(200, tall);
        page.descImages.append({imageAddress(server, n + QStringLiteral("-lazy-desc%1.jpg").arg(d)), shown});
    }
    const int pictureCount = int(page.mainImages.size() + page.descImages.size());
    int picture = 0;
    const auto serve = [&](const QString &address, int width, int pictureHeight) {
        FixtureServer::Response r = FixtureServer::bytes(makePicture(width, pictureHeight), "image/jpeg");
        r.delayMs = s.pictures.at(picture++, pictureCount);
        server.route(QUrl(address).path(), r);
    };
    for (const QString &address : page.mainImages)
        serve(address, 800, 800);
    for (const LazyDetailPage::Picture &p : page.descImages)
        serve(p.address, s.descWidth, 40 + p.height % 7);

    // The description in chunks, as the page asks for them.
    const int perChunk = int((page.descImages.size() + page.sections - 1) / page.sections);
    for (int c = 0; c < page.sections; ++c) {
        QJsonArray pictures;
        for (int d = c * perChunk; d < std::min<int>((c + 1) * perChunk, int(page.descImages.size())); ++d) {
            QString schemeless = page.descImages.at(d).address;
            schemeless.remove(QRegularExpression(QStringLiteral("^https?:")));
            pictures.append(QJsonObject{{QStringLiteral("src"), schemeless}, {QStringLiteral("h"), page.descImages.at(d).height}});
        }
        const QString path = QStringLiteral("/lazy/%1/%2").arg(id).arg(c + 1);
        FixtureServer::Response chunk = FixtureServer::bytes(QJsonDocument(pictures).toJson(QJsonDocument::Compact),
                                                             "application/json");
        chunk.delayMs = s.chunks.at(c, page.sections);
        server.route(path, chunk);
        page.chunkPaths << path;
        page.chunkDelaysMs << chunk.delayMs;
    }
    FixtureServer::Response html = FixtureServer::page(
        lazyDetailPageHtml(page).replace(QStringLiteral("</head>"), (s.longPoll ? LongPollScript : QString())
                                                                        + strayScripts(server, s) + QStringLiteral("</head>")));
    html.delayMs = s.pageDelayMs;
    server.route(QStringLiteral("detail.zorvane.com/offer/%1.html").arg(id), html);
    if (s.longPoll) {
        FixtureServer::Response poll = FixtureServer::page(QStringLiteral("{}"));
        poll.stall = true;
        server.route(QStringLiteral("/lazy/poll"), poll);
    }
    return page;
}

LazyDetailPage serveLazyItem(FixtureServer &server, int id, int height, int mainCount, int descCount, int delayMs,
                             int descWidth)
{
    LazyServing s;
    s.height = height;
    s.mainCount = mainCount;
    s.descCount = descCount;
    s.descWidth = descWidth;
    s.pageDelayMs = delayMs;
    s.chunks = {delayMs, delayMs};
    s.pictures = {delayMs, delayMs};
    return serveLazyItem(server, id, s);
}
