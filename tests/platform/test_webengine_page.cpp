#include "collection/page_analysis.h"
#include "collection/page_attributes.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "page_waits.h"
#include "platform/webengine_page_document.h"
#include "qt_printers.h"
#include "test_app.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int LoadTimeoutMs = 60000;

// A shown view: a page never shown gets no scroll events.
std::unique_ptr<WebEnginePageDocument> shownDocument(int loadTimeoutMs = LoadTimeoutMs)
{
    auto doc = std::make_unique<WebEnginePageDocument>(loadTimeoutMs);
    doc->setSilent(true);
    doc->view()->resize(1024, 768);
    doc->view()->show();
    return doc;
}

struct Analysis
{
    Marketplace marketplace;
    ItemRecordTable records;
    ShopLinks shop;
    PageAnalyser analyser{marketplace, records, shop};
};

DetailPageSpec sampleItem(const QString &title)
{
    FixtureServer &server = sharedServer();
    DetailPageSpec spec;
    spec.title = title;
    spec.mainImages = {imageAddress(server, QStringLiteral("m1.jpg")), imageAddress(server, QStringLiteral("m2.png")),
                       imageAddress(server, QStringLiteral("m3.jpg"))};
    spec.attributes = {{QStringLiteral("品牌"), QStringLiteral("Zorvane")},
                       {QStringLiteral("货号"), QStringLiteral("A-100")},
                       {QStringLiteral("面料"), QStringLiteral("棉 & 麻")}};
    spec.descImages = {imageAddress(server, QStringLiteral("d1.jpg")), imageAddress(server, QStringLiteral("d2.gif")),
                       imageAddress(server, QStringLiteral("d1.jpg"))};
    spec.height = 2500;
    return spec;
}

} // namespace

TEST(WebEnginePage, DetailPageReadsAsTheRulesExpectAndDescriptionArrivesAfterScrolling)
{
    const DetailPageSpec spec = sampleItem(QStringLiteral("2026新款女装连衣裙"));
    const QString address = detailPageAddress(101);
    servePage(sharedServer(), address, detailPageHtml(spec));
    servePictures(sharedServer(), spec.mainImages + spec.descImages, 750, 600);
    auto doc = shownDocument();

    const LoadResult load = navigateAndWait(*doc, address);
    ASSERT_TRUE(load.ended);
    EXPECT_TRUE(load.ok);
    EXPECT_FALSE(load.timedOut);
    EXPECT_TRUE(doc->isLoaded());
    EXPECT_EQ(doc->LocationURL(), address);
    EXPECT_EQ(doc->LocationName(), spec.title);

    const std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    EXPECT_EQ(page->url, address);
    EXPECT_EQ(GetPageTitle(*page), spec.title);
    QStringList ids;
    for (const PageBlock &b : page->blocks)
        ids.append(b.id);
    EXPECT_EQ(ids, (QStringList{QStringLiteral("mod-detail"), QStringLiteral("mod-detail-attributes"),
                                QStringLiteral("desc-lazyload-container")}));

    // Two pairs share a source line; serialised, every cell has a line of its own.
    const QString attributes = page->blocks.at(1).innerHtml;
    EXPECT_TRUE(attributes.contains(QStringLiteral("\r\n<TR>\r\n<TD class=de-feature>品牌</TD>\r\n<TD class=de-value>Zorvane</TD>"
                                                   "\r\n<TD class=de-feature>货号</TD>\r\n<TD class=de-value>A-100</TD></TR>")))
        << attributes.toStdString();
    ItemRecord record;
    record.PickItemNo = QStringLiteral("from-list");
    PickAttributes(*page, record);
    const QList<AttributePair> expected{spec.attributes.at(0), spec.attributes.at(1),
                                        {QStringLiteral("面料"), QStringLiteral("棉 &amp; 麻")}};
    EXPECT_EQ(record.AttrList, expected);
    EXPECT_EQ(record.PickItemNo, QStringLiteral("A-100"));

    Analysis before;
    EXPECT_TRUE(before.analyser.AnalysePage(*page, 1, 0, true));
    EXPECT_FALSE(before.analyser.AnalysePage(*page, 1, 0, false));
    EXPECT_EQ(before.records.record(0).MainImgList, spec.mainImages);
    EXPECT_TRUE(before.records.record(0).DescImgList.isEmpty());

    for (double scrolled = 0; scrolled < page->scrollHeight; scrolled += 600)
        doc->scrollBy(0, 600);
    ASSERT_TRUE(waitForScrollHeightAbove(*doc, page->scrollHeight));

    const std::optional<PageSnapshot> scrolled = snapshotOf(*doc);
    ASSERT_TRUE(scrolled && scrolled->valid);
    Analysis after;
    EXPECT_FALSE(after.analyser.AnalysePage(*scrolled, 1, 0, false));
    EXPECT_EQ(after.records.record(0).MainImgList, spec.mainImages);
    EXPECT_EQ(after.records.record(0).DescImgList, spec.descImages);
    EXPECT_TRUE(after.shop.ShopPageEnd);
}

TEST(WebEnginePage, PageWithoutDetailBlocksIsNotADetailPage)
{
    const QString address = detailPageAddress(102);
    servePage(sharedServer(), address,
              plainPageHtml(QStringLiteral("已下架"), QStringLiteral("<div id=\"mod-detail-offline\">"
                                                                    "<img src=\"http://a/x.jpg\"></div>")));
    auto doc = shownDocument();
    ASSERT_TRUE(navigateAndWait(*doc, address).ok);
    const std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    EXPECT_TRUE(page->blocks.isEmpty());
    Analysis a;
    EXPECT_FALSE(a.analyser.AnalysePage(*page, 1, 0, true));
    EXPECT_FALSE(a.analyser.AnalysePage(*page, 1, 0, false));
    EXPECT_TRUE(a.shop.ShopPageEnd);
    EXPECT_TRUE(a.records.record(0).MainImgList.isEmpty());
}

TEST(WebEnginePage, ShopOfferListGivesEachItemOnceAndAnEmptyPageEndsTheWalk)
{
    const QStringList items{detailPageAddress(201), detailPageAddress(202), detailPageAddress(203)};
    servePage(sharedServer(), shopOfferListAddress(QStringLiteral("myshop"), 1),
              shopOfferListHtml({QStringLiteral("myshop 第1页"), items}));
    servePage(sharedServer(), shopOfferListAddress(QStringLiteral("myshop"), 2),
              shopOfferListHtml({QStringLiteral("myshop 第2页"), {}}));
    auto doc = shownDocument();
    Analysis a;

    ASSERT_TRUE(navigateAndWait(*doc, shopOfferListAddress(QStringLiteral("myshop"), 1)).ok);
    std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    EXPECT_TRUE(a.analyser.AnalysePage(*page, 0, 0, false));
    EXPECT_EQ(a.shop.ShopItemLinks, items);
    EXPECT_FALSE(a.shop.ShopPageEnd);

    ASSERT_TRUE(navigateAndWait(*doc, shopOfferListAddress(QStringLiteral("myshop"), 2)).ok);
    page = snapshotOf(*doc);
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
    const QString address = detailPageAddress(++item);
    servePage(sharedServer(), address,
              plainPageHtml(QStringLiteral("s"), QStringLiteral("<div id=\"mod-detail\">") + GetParam().source
                                                      + QStringLiteral("</div>")));
    auto doc = shownDocument();
    ASSERT_TRUE(navigateAndWait(*doc, address).ok);
    const std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    ASSERT_EQ(page->blocks.size(), 1);
    EXPECT_EQ(page->blocks.first().innerHtml, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markup, Serialiser,
    ::testing::Values(
        SerialiseCase{"table_cells_on_own_lines",
                      QStringLiteral(R"(<table><tr><td class="de-feature">货号</td><td class="de-value">A-100</td></tr></table>)"),
                      QStringLiteral("\r\n<TABLE>\r\n<TBODY>\r\n<TR>\r\n<TD class=de-feature>货号</TD>"
                                     "\r\n<TD class=de-value>A-100</TD></TR></TBODY></TABLE>")},
        SerialiseCase{"quotes_inside_values_kept",
                      QStringLiteral(R"(<ul><li data-imgs='{"original":"https://x/a.jpg"}' class="tab trigger">x</li></ul>)"),
                      QStringLiteral("\r\n<UL>\r\n<LI data-imgs=\"{\"original\":\"https://x/a.jpg\"}\" "
                                     "class=\"tab trigger\">x</LI></UL>")},
        SerialiseCase{"void_elements_and_simple_values",
                      QStringLiteral(R"(<img src="http://a/b.jpg" width="60" alt=""><br><input disabled>)"),
                      QStringLiteral(R"(<IMG src="http://a/b.jpg" width=60 alt=""><BR><INPUT disabled="">)")},
        SerialiseCase{"text_escaped_for_amp_lt_gt_only",
                      QStringLiteral(R"(<span title="a&amp;b">1 &lt; 2 &amp;&amp; "q" &gt; 0</span>)"),
                      QStringLiteral(R"(<SPAN title="a&b">1 &lt; 2 &amp;&amp; "q" &gt; 0</SPAN>)")},
        SerialiseCase{"comments_kept_script_raw",
                      QStringLiteral("<!-- note --><script>if (a < b && c > d) {}</script>"),
                      QStringLiteral("<!-- note --><SCRIPT>if (a < b && c > d) {}</SCRIPT>")},
        SerialiseCase{"block_elements_break",
                      QStringLiteral("<p>a</p><h3>c</h3><dl><dt>d</dt><dd>e</dd></dl><div class=\"x\"><span>s</span></div>"),
                      QStringLiteral("\r\n<P>a</P>\r\n<H3>c</H3>\r\n<DL>\r\n<DT>d</DT>\r\n<DD>e</DD></DL>"
                                     "\r\n<DIV class=x><SPAN>s</SPAN></DIV>")},
        SerialiseCase{"attribute_names_as_the_dom_has_them",
                      QStringLiteral(R"re(<a HREF="/x" onClick="f()">t</a><svg viewBox="0 0 1 1"><path d="M0"></path></svg>)re"),
                      QStringLiteral(R"re(<A href="/x" onclick="f()">t</A><SVG viewBox="0 0 1 1"><PATH d=M0></PATH></SVG>)re")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(WebEnginePage, PageScriptsCannotAlterWhatIsRead)
{
    DetailPageSpec spec = sampleItem(QStringLiteral("篡改"));
    spec.headHtml = QStringLiteral(R"(<script>
Element.prototype.getAttribute = function () { return 'forged'; };
Object.defineProperty(Element.prototype, 'id', { get: function () { return 'forged'; } });
Object.defineProperty(Element.prototype, 'attributes', { get: function () { return []; } });
Document.prototype.getElementsByTagName = function () { return []; };
String.prototype.toUpperCase = function () { return 'forged'; };
Array.prototype.join = function () { return 'forged'; };
</script>)");
    const QString address = detailPageAddress(103);
    servePage(sharedServer(), address, detailPageHtml(spec));
    auto doc = shownDocument();
    ASSERT_TRUE(navigateAndWait(*doc, address).ok);

    // The forgery is in force for the page's own scripts...
    QVariant seenByPage;
    doc->view()->page()->runJavaScript(QStringLiteral("document.getElementsByTagName('div').length"),
                                       QWebEngineScript::MainWorld, [&](const QVariant &v) { seenByPage = v; });
    ASSERT_TRUE(waitUntil([&] { return seenByPage.isValid(); }));
    EXPECT_EQ(seenByPage.toInt(), 0);

    // ...and invisible to ours.
    const std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    Analysis a;
    EXPECT_TRUE(a.analyser.AnalysePage(*page, 1, 0, true));
    a.analyser.AnalysePage(*page, 1, 0, false);
    EXPECT_EQ(a.records.record(0).MainImgList, spec.mainImages);
    ItemRecord record;
    PickAttributes(*page, record);
    EXPECT_EQ(record.PickItemNo, QStringLiteral("A-100"));
}

TEST(WebEnginePage, SilentPageDialogsDoNotBlock)
{
    const QString address = detailPageAddress(104);
    servePage(sharedServer(), address,
              plainPageHtml(QStringLiteral("before"), QStringLiteral("<p>x</p>"),
                            QStringLiteral("<script>alert('a'); var c = confirm('b'); var p = prompt('c', 'd');"
                                           "document.title = 'after ' + c + ' ' + p;</script>")));
    auto doc = shownDocument();
    ASSERT_TRUE(navigateAndWait(*doc, address).ok);
    const std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    EXPECT_EQ(page->title, QStringLiteral("after false null"));
}

TEST(WebEnginePage, PageThatNeverFinishesTimesOutWithWhatLoaded)
{
    FixtureServer::Response stalled = FixtureServer::bytes(QByteArray("x"), QByteArray("image/jpeg"));
    stalled.stall = true;
    sharedServer().route(QStringLiteral("/img/stalled-105.jpg"), stalled);
    const QString address = detailPageAddress(105);
    servePage(sharedServer(), address,
              plainPageHtml(QStringLiteral("半载"), QStringLiteral("<img src=\"/img/stalled-105.jpg\">"
                                                                  "<div id=\"mod-detail\">m</div>")));
    auto doc = shownDocument(2000);
    QSignalSpy ended(doc.get(), &PageDocument::loadEnded);
    doc->Navigate(address);
    // The document arrives whether or not the time-out came first.
    ASSERT_TRUE(waitUntil([&] { return doc->LocationName() == u"半载"; }));
    ASSERT_TRUE(waitForSignal(ended));
    EXPECT_FALSE(ended.first().at(0).toBool());
    EXPECT_TRUE(ended.first().at(1).toBool());
    EXPECT_FALSE(doc->isLoaded());
    const std::optional<PageSnapshot> page = snapshotOf(*doc);
    ASSERT_TRUE(page && page->valid);
    EXPECT_EQ(page->blocks.size(), 1);
}

TEST(WebEnginePage, OnlyTheLastNavigationEnds)
{
    FixtureServer::Response stalled = FixtureServer::bytes(QByteArray("x"), QByteArray("image/jpeg"));
    stalled.stall = true;
    sharedServer().route(QStringLiteral("/img/stalled-111.jpg"), stalled);
    const QString slow = detailPageAddress(111);
    servePage(sharedServer(), slow, plainPageHtml(QStringLiteral("slow"), QStringLiteral("<img src=\"/img/stalled-111.jpg\">")));
    const QString first = detailPageAddress(112);
    servePage(sharedServer(), first, plainPageHtml(QStringLiteral("first"), QStringLiteral("<p>1</p>")));
    const QString second = detailPageAddress(113);
    servePage(sharedServer(), second, plainPageHtml(QStringLiteral("second"), QStringLiteral("<p>2</p>")));

    auto doc = shownDocument();
    QSignalSpy ended(doc.get(), &PageDocument::loadEnded);
    auto expectOnlySecondEnded = [&](const char *how) {
        SCOPED_TRACE(how);
        ASSERT_TRUE(waitForSignal(ended));
        EXPECT_TRUE(ended.first().at(0).toBool());
        EXPECT_EQ(doc->LocationURL(), second);
        const std::optional<PageSnapshot> page = snapshotOf(*doc); // lets any stray end arrive
        ASSERT_TRUE(page && page->valid);
        EXPECT_EQ(page->url, second);
        EXPECT_EQ(ended.count(), 1);
        ended.clear();
    };

    // Back to back, in one turn of the event loop.
    doc->Navigate(first);
    doc->Navigate(second);
    expectOnlySecondEnded("back to back");

    // While the first page is still loading.
    doc->Navigate(slow);
    ASSERT_TRUE(waitUntil([&] { return doc->LocationName() == u"slow"; }));
    doc->Navigate(second);
    expectOnlySecondEnded("mid-load");

    // The first load's end is still on its way when the second starts.
    bool renavigated = false;
    QObject::connect(doc->view()->page(), &QWebEnginePage::loadFinished, doc.get(), [&] {
        if (!renavigated) {
            renavigated = true;
            doc->Navigate(second);
        }
    });
    doc->Navigate(first);
    expectOnlySecondEnded("late end of the first");
    EXPECT_TRUE(renavigated);
}

TEST(WebEnginePage, QueriesAnswerOnceEvenWhenThePageIsBusy)
{
    const QString address = detailPageAddress(106);
    servePage(sharedServer(), address, plainPageHtml(QStringLiteral("busy"), QStringLiteral("<div id=\"mod-detail\">m</div>")));
    auto doc = shownDocument();
    ASSERT_TRUE(navigateAndWait(*doc, address).ok);
    doc->setQueryTimeout(300);

    // The renderer runs the page's script for three seconds; the query cannot be answered meanwhile.
    doc->view()->page()->runJavaScript(QStringLiteral("var t = Date.now(); while (Date.now() - t < 3000) {}"),
                                       QWebEngineScript::MainWorld);
    int answers = 0;
    bool firstValid = true;
    doc->readSnapshot([&](const PageSnapshot &s) {
        ++answers;
        firstValid = s.valid;
    });
    ASSERT_TRUE(waitUntil([&] { return answers > 0; }));
    EXPECT_FALSE(firstValid);

    doc->setQueryTimeout(30000);
    const std::optional<PageSnapshot> later = snapshotOf(*doc); // queued behind the late answer
    ASSERT_TRUE(later && later->valid);
    EXPECT_EQ(later->blocks.size(), 1);
    EXPECT_EQ(answers, 1);
}

TEST(WebEnginePage, NoAnswerReachesADestroyedDocument)
{
    const QString address = detailPageAddress(107);
    servePage(sharedServer(), address, plainPageHtml(QStringLiteral("gone"), QStringLiteral("<p>x</p>")));
    auto doc = shownDocument();
    ASSERT_TRUE(navigateAndWait(*doc, address).ok);
    bool called = false;
    doc->readSnapshot([&](const PageSnapshot &) { called = true; });
    doc->readScrollHeight([&](double) { called = true; });
    doc.reset();

    auto other = shownDocument();
    ASSERT_TRUE(navigateAndWait(*other, address).ok);
    ASSERT_TRUE(snapshotOf(*other).has_value());
    EXPECT_FALSE(called);
}
