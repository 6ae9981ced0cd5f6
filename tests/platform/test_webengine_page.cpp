#include "log_text.h"
#include "collection/page_analysis.h"
#include "collection/page_attributes.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "page_waits.h"
#include "platform/web/webengine_page_document.h"
#include "qt_printers.h"
#include "test_app.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>

#include <csignal>

namespace {


// A shown view: a page never shown gets no scroll events.
std::unique_ptr<WebEnginePageDocument> shownDocument(int loadTimeoutMs = 60000)
{
    auto doc = std::make_unique<WebEnginePageDocument>(loadTimeoutMs);
    doc->setSilent(true);
    doc->view()->resize(1024, 768);
    doc->view()->show();
    return doc;
}

// Serves the page, loads it and reads it.
std::optional<PageSnapshot> load(WebEnginePageDocument &doc, const QString &address, const QString &html)
{
    servePage(sharedServer(), address, html);
    if (!navigateAndWait(doc, address).ok)
        return std::nullopt;
    return snapshotOf(doc);
}

struct Analysis
{
    Marketplace marketplace;
    ItemRecordTable records;
    ShopLinks shop;
    PageAnalyser analyser{marketplace, records, shop};
};

DetailPage sampleItem()
{
    const FixtureServer &server = sharedServer();
    DetailPage item;
    item.title = S(u"2026新款女装连衣裙");
    item.mainImages = {imageAddress(server, S(u"m1.jpg")), imageAddress(server, S(u"m2.png"))};
    item.attributes = {{S(u"品牌"), S(u"Zorvane")}, {S(u"货号"), S(u"A-100")}, {S(u"面料"), S(u"棉 & 麻")}};
    item.descImages = {imageAddress(server, S(u"d1.jpg")), imageAddress(server, S(u"d2.gif")),
                       imageAddress(server, S(u"d1.jpg"))};
    item.height = 2500;
    return item;
}

} // namespace

TEST(WebEnginePage, DetailPageReadsAsTheRulesExpectAndDescriptionArrivesAfterScrolling)
{
    const DetailPage item = sampleItem();
    servePictures(sharedServer(), item.mainImages + item.descImages, 750, 600);
    auto doc = shownDocument();
    const std::optional<PageSnapshot> page = load(*doc, detailPageAddress(101), detailPageHtml(item));
    ASSERT_TRUE(page && page->valid);
    EXPECT_TRUE(doc->isLoaded());
    EXPECT_EQ(doc->LocationURL(), detailPageAddress(101));
    EXPECT_EQ(doc->LocationName(), item.title);
    EXPECT_EQ(page->url, detailPageAddress(101));
    EXPECT_EQ(GetPageTitle(*page), item.title);

    // Two pairs share a source line; serialised, every cell has a line of its own.
    ASSERT_EQ(page->blocks.size(), 3);
    EXPECT_EQ(page->blocks.at(1).id, S(u"mod-detail-attributes"));
    EXPECT_TRUE(page->blocks.at(1).innerHtml.contains(
        S(u"\r\n<TR>\r\n<TD class=de-feature>品牌</TD>\r\n<TD class=de-value>Zorvane</TD>"
          u"\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>A-100</TD></TR>")));
    ItemRecord record;
    PickAttributes(*page, record);
    const QList<AttributePair> attributes{item.attributes.at(0), item.attributes.at(1), {S(u"面料"), S(u"棉 &amp; 麻")}};
    EXPECT_EQ(record.AttrList, attributes);
    EXPECT_EQ(record.PickItemNo, S(u"A-100"));

    Analysis before;
    EXPECT_TRUE(before.analyser.AnalysePage(*page, 1, 0, true));
    EXPECT_FALSE(before.analyser.AnalysePage(*page, 1, 0, false));
    EXPECT_EQ(before.records.record(0).MainImgList, item.mainImages);
    EXPECT_TRUE(before.records.record(0).DescImgList.isEmpty());

    for (double scrolled = 0; scrolled < page->scrollHeight; scrolled += 600)
        doc->scrollBy(0, 600);
    ASSERT_TRUE(waitForScrollHeightAbove(*doc, page->scrollHeight));
    const std::optional<PageSnapshot> scrolled = snapshotOf(*doc);
    ASSERT_TRUE(scrolled && scrolled->valid);
    Analysis after;
    after.analyser.AnalysePage(*scrolled, 1, 0, false);
    EXPECT_EQ(after.records.record(0).MainImgList, item.mainImages);
    EXPECT_EQ(after.records.record(0).DescImgList, item.descImages);
}

TEST(WebEnginePage, PagesWithoutDetailBlocksAndShopOfferLists)
{
    auto doc = shownDocument();
    Analysis a;
    std::optional<PageSnapshot> page =
        load(*doc, detailPageAddress(102),
             plainPageHtml(S(u"已下架"), S(u"<div id=\"mod-detail-offline\"><img src=\"http://a/x.jpg\"></div>")));
    ASSERT_TRUE(page && page->valid);
    EXPECT_FALSE(a.analyser.AnalysePage(*page, 1, 0, true));

    const QStringList items{detailPageAddress(201), detailPageAddress(202), detailPageAddress(203)};
    page = load(*doc, shopOfferListAddress(S(u"myshop"), 1), shopOfferListHtml({S(u"第1页"), items}));
    ASSERT_TRUE(page && page->valid);
    EXPECT_FALSE(PageAnalyser::isDetailPage(*page)) << "an item address may lead to the offer list";
    EXPECT_TRUE(a.analyser.AnalysePage(*page, 0, 0, false));
    EXPECT_EQ(a.shop.ShopItemLinks, items);
    EXPECT_FALSE(a.shop.ShopPageEnd);

    page = load(*doc, shopOfferListAddress(S(u"myshop"), 2), shopOfferListHtml({S(u"第2页"), {}}));
    ASSERT_TRUE(page && page->valid);
    EXPECT_TRUE(a.analyser.AnalysePage(*page, 0, 0, false));
    EXPECT_EQ(a.shop.ShopItemLinks, items);
    EXPECT_TRUE(a.shop.ShopPageEnd);
}

struct SerialiseCase
{
    const char *name;
    QString source;
    QString expected;
};
ZORVANE_PRINT_AS_NAME(SerialiseCase)

class Serialiser : public ::testing::TestWithParam<SerialiseCase> {};

TEST_P(Serialiser, WritesTheLegacyForm)
{
    static int item = 300;
    auto doc = shownDocument();
    const std::optional<PageSnapshot> page =
        load(*doc, detailPageAddress(++item), plainPageHtml(S(u"s"), S(u"<div id=\"mod-detail\">") + GetParam().source + S(u"</div>")));
    ASSERT_TRUE(page && page->valid && page->blocks.size() == 1);
    EXPECT_EQ(page->blocks.first().innerHtml, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markup, Serialiser,
    ::testing::Values(
        SerialiseCase{"table_cells_and_blocks_on_own_lines",
                      S(uR"(<table><tr><td class="de-feature">货号</td><td class="de-value">A</td></tr></table>)"
                        uR"(<p>a</p><h3>c</h3><dl><dt>d</dt></dl><div class="x"><span>s</span></div>)"),
                      S(u"\r\n<TABLE>\r\n<TBODY>\r\n<TR>\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>A</TD>"
                        u"</TR></TBODY></TABLE>\r\n<P>a</P>\r\n<H3>c</H3>\r\n<DL>\r\n<DT>d</DT></DL>"
                        u"\r\n<DIV class=x><SPAN>s</SPAN></DIV>")},
        SerialiseCase{"attribute_values_as_written",
                      S(uR"re(<ul><li data-imgs='{"original":"https://x/a.jpg"}' class="a b">x</li></ul>)re"
                        uR"re(<img src="http://a/b.jpg" width="60" alt=""><a HREF="/x" onClick="f()">t</a>)re"
                        uR"re(<svg viewBox="0 0 1 1"></svg>)re"),
                      S(u"\r\n<UL>\r\n<LI data-imgs=\"{\"original\":\"https://x/a.jpg\"}\" class=\"a b\">x</LI></UL>")
                          + S(uR"re(<IMG src="http://a/b.jpg" width=60 alt=""><A href="/x" onclick="f()">t</A>)re"
                              uR"re(<SVG viewBox="0 0 1 1"></SVG>)re")},
        SerialiseCase{"text_escaped_for_amp_lt_gt_comments_and_scripts_raw",
                      S(uR"(<span title="a&amp;b">1 &lt; 2 &amp; "q" &gt; 0</span><!-- c --><script>if (a < b && c) {}</script>)"),
                      S(uR"(<SPAN title="a&b">1 &lt; 2 &amp; "q" &gt; 0</SPAN><!-- c --><SCRIPT>if (a < b && c) {}</SCRIPT>)")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WebEnginePage, PageScriptsCannotAlterWhatIsRead)
{
    DetailPage item = sampleItem();
    item.headHtml = S(uR"(<script>
Element.prototype.getAttribute = function () { return 'forged'; };
Object.defineProperty(Element.prototype, 'id', { get: function () { return 'forged'; } });
Object.defineProperty(Element.prototype, 'attributes', { get: function () { return []; } });
Document.prototype.getElementsByTagName = function () { return []; };
String.prototype.toUpperCase = function () { return 'forged'; };
Array.prototype.join = function () { return 'forged'; };
</script>)");
    auto doc = shownDocument();
    const std::optional<PageSnapshot> page = load(*doc, detailPageAddress(103), detailPageHtml(item));
    ASSERT_TRUE(page && page->valid);
    Analysis a;
    a.analyser.AnalysePage(*page, 1, 0, false);
    EXPECT_EQ(a.records.record(0).MainImgList, item.mainImages);
    ItemRecord record;
    PickAttributes(*page, record);
    EXPECT_EQ(record.PickItemNo, S(u"A-100"));

    // The forgery is in force for the page's own scripts.
    QVariant seenByPage;
    doc->view()->page()->runJavaScript(S(u"document.getElementsByTagName('div').length"), QWebEngineScript::MainWorld,
                                       [&](const QVariant &v) { seenByPage = v; });
    ASSERT_TRUE(waitUntil([&] { return seenByPage.isValid(); }));
    EXPECT_EQ(seenByPage.toInt(), 0);
}

TEST(WebEnginePage, SilentPageDialogsDoNotBlock)
{
    auto doc = shownDocument();
    const std::optional<PageSnapshot> page =
        load(*doc, detailPageAddress(104),
             plainPageHtml(S(u"before"), S(u"<p>x</p>"),
                           S(u"<script>alert('a'); var c = confirm('b'); var p = prompt('c', 'd');"
                             u"document.title = 'after ' + c + ' ' + p;</script>")));
    ASSERT_TRUE(page && page->valid);
    EXPECT_EQ(page->title, S(u"after false null"));
}

namespace {
QString stalledPage(int item, const QString &title)
{
    FixtureServer::Response stalled = FixtureServer::bytes(QByteArray("x"), QByteArray("image/jpeg"));
    stalled.stall = true;
    const QString picture = S(u"/img/stalled-%1.jpg").arg(item);
    sharedServer().route(picture, stalled);
    servePage(sharedServer(), detailPageAddress(item),
              plainPageHtml(title, S(u"<img src=\"%1\"><div id=\"mod-detail\">m</div>").arg(picture)));
    return detailPageAddress(item);
}
} // namespace

TEST(WebEnginePage, PageThatNeverFinishesTimesOutWithWhatLoaded)
{
    // Long enough for the document itself to arrive on a busy machine.
    auto doc = shownDocument(6000);
    QSignalSpy ended(doc.get(), &PageDocument::loadEnded);
    doc->Navigate(stalledPage(105, S(u"半载")));
    ASSERT_TRUE(waitUntil([&] { return doc->LocationName() == u"半载"; }));
    ASSERT_TRUE(waitForSignal(ended));
    EXPECT_EQ(ended.first(), (QVariantList{false, true}));
    EXPECT_FALSE(doc->isLoaded());
    const std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    EXPECT_EQ(page->blocks.size(), 1);
}

TEST(WebEnginePage, OnlyTheLastNavigationEnds)
{
    const QString slow = stalledPage(111, S(u"slow"));
    const QString first = detailPageAddress(112);
    const QString second = detailPageAddress(113);
    servePage(sharedServer(), first, plainPageHtml(S(u"first"), S(u"<p>1</p>")));
    servePage(sharedServer(), second, plainPageHtml(S(u"second"), S(u"<p>2</p>")));
    auto doc = shownDocument();
    QSignalSpy ended(doc.get(), &PageDocument::loadEnded);
    auto expectOnlySecondEnded = [&](const char *how) {
        SCOPED_TRACE(how);
        ASSERT_TRUE(waitForSignal(ended));
        EXPECT_EQ(doc->LocationURL(), second);
        const std::optional<PageSnapshot> page = snapshotOf(*doc); // time for a stray end to arrive
        ASSERT_TRUE(page && page->valid);
        EXPECT_EQ(page->url, second);
        EXPECT_EQ(ended.count(), 1);
        ended.clear();
    };

    doc->Navigate(first);
    doc->Navigate(second);
    expectOnlySecondEnded("back to back");

    doc->Navigate(slow);
    ASSERT_TRUE(waitUntil([&] { return doc->LocationName() == u"slow"; }));
    doc->Navigate(second);
    expectOnlySecondEnded("while the first is loading");

    bool renavigated = false;
    QObject::connect(doc->view()->page(), &QWebEnginePage::loadFinished, doc.get(), [&] {
        if (!std::exchange(renavigated, true))
            doc->Navigate(second);
    });
    doc->Navigate(first);
    expectOnlySecondEnded("while the end of the first is on its way");
}

TEST(WebEnginePage, QueryAnswersOnceWhenThePageIsTooBusyToAnswerInTime)
{
    auto doc = shownDocument();
    ASSERT_TRUE(load(*doc, detailPageAddress(106), plainPageHtml(S(u"busy"), S(u"<p>x</p>"))));
    doc->setQueryTimeout(300);
    doc->view()->page()->runJavaScript(S(u"var t = Date.now(); while (Date.now() - t < 3000) {}"),
                                       QWebEngineScript::MainWorld);
    std::vector<bool> answers;
    doc->readSnapshot([&](const PageSnapshot &s) { answers.push_back(s.valid); });
    ASSERT_TRUE(waitUntil([&] { return !answers.empty(); }));
    EXPECT_FALSE(answers.front());

    doc->setQueryTimeout(30000);
    const std::optional<PageSnapshot> later = snapshotOf(*doc); // answered after the late one
    ASSERT_TRUE(later && later->valid);
    EXPECT_EQ(answers.size(), 1u);
}

namespace {
std::optional<PageLoad> navigateAndRead(PageDocument &doc, const QString &address)
{
    QObject context;
    return waitForAnswer<PageLoad>([&](auto done) { doc.NavigateAndRead(address, &context, done); }, 60000);
}
} // namespace

TEST(WebEnginePage, AReadIsAlwaysOfWhatTheNavigationProduced)
{
    const QString one = detailPageAddress(121), two = detailPageAddress(122), never = detailPageAddress(123),
                  hung = detailPageAddress(124);
    servePage(sharedServer(), one, plainPageHtml(S(u"一"), S(u"<div id=\"mod-detail\">1</div>")));
    servePage(sharedServer(), two, plainPageHtml(S(u"二"), S(u"<p>2</p>")));
    FixtureServer::Response stalled = FixtureServer::page(plainPageHtml(S(u"迟到"), S(u"<p>late</p>")));
    stalled.stall = true;
    sharedServer().route(S(u"detail.zorvane.com/offer/123.html"), stalled);
    servePage(sharedServer(), hung, plainPageHtml(S(u"卡死"), S(u"<p>x</p>"), S(u"<script>while (true) {}</script>")));
    int refusedPort = 0;
    {
        FixtureServer closed;
        refusedPort = closed.port();
    }
    auto doc = shownDocument(3000);
    doc->setQueryTimeout(1500);
    const struct
    {
        const char *name;
        QString address;
        PageLoad::Outcome outcome;
        QString title;
    } steps[] = {
        {"a page", one, PageLoad::Read, S(u"一")},
        {"no address at all", S(u"http://"), PageLoad::NotAnAddress, {}},
        {"not a web address", S(u"file:///etc/hostname"), PageLoad::NotAnAddress, {}},
        {"the document never comes: the view still shows the last page", never, PageLoad::NotLoaded, {}},
        {"connection refused", S(u"http://127.0.0.1:%1/x.html").arg(refusedPort), PageLoad::NotLoaded, {}},
        {"a renderer caught in a script", hung, PageLoad::NotResponding, {}},
        {"after the view was renewed", two, PageLoad::Read, S(u"二")},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        const std::optional<PageLoad> load = navigateAndRead(*doc, step.address);
        ASSERT_TRUE(load);
        EXPECT_EQ(load->outcome, step.outcome);
        if (step.outcome == PageLoad::Read) {
            EXPECT_EQ(load->page.title, step.title);
        }
        if (load->outcome == PageLoad::NotResponding)
            doc->renew();
    }
    sharedServer().releaseStalls();

    // A renderer that goes away answers at once, and the next page loads on a new one.
    ::kill(pid_t(doc->view()->page()->renderProcessPid()), SIGKILL);
    const std::optional<PageSnapshot> gone = snapshotOf(*doc, 60000);
    ASSERT_TRUE(gone);
    EXPECT_FALSE(gone->valid);
    const std::optional<PageLoad> again = navigateAndRead(*doc, one);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->outcome, PageLoad::Read);
}
