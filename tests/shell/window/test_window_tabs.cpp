// The browser tabs in the window: real pages in WebEngine, the tab strip, the
// address bar and the toolbar's browser commands.
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "page_waits.h"
#include "qt_printers.h"

#include "test_files.h"

#include <QAction>
#include <QLineEdit>
#include <QWebEngineProfile>
#include <QListWidget>
#include <QTest>
#include <QToolBar>

namespace {

const QString Links = QStringLiteral("http://www.zorvane.com/tabs/links.html");
const QString Target = QStringLiteral("http://www.zorvane.com/tabs/target.html");
const QString Titled = QStringLiteral("http://www.zorvane.com/tabs/titled.html");

class TabsTest : public WindowTest
{
protected:
    TabsTest()
    {
        // The whole top of the page is the link, so that a click anywhere there follows it.
        servePage(sharedServer(), Links,
                  plainPageHtml(S(u"链接页"), QStringLiteral("<a href=\"%1\" target=\"_blank\" style=\"display:block;"
                                                             "width:600px;height:400px\">新窗口</a>")
                                                  .arg(Target)));
        servePage(sharedServer(), Target, plainPageHtml(S(u"目标页"), S(u"<p>目标</p>")));
        servePage(sharedServer(), Titled, plainPageHtml(S(u"网页标题很长的例子"), S(u"<p>标题</p>")));
    }
    void toolbar(int position) const
    {
        control<QToolBar>("Toolbar1")->actions().at(position - 1)->trigger();
    }
    void enter(const QString &text) const
    {
        addressBar()->setEditText(text);
        QTest::keyClick(addressBar()->lineEdit(), Qt::Key_Return);
    }
    QList<qint16> tabList() { return form->tabBook().TabList(); }
};

} // namespace

TEST_F(TabsTest, ALinkForANewWindowOpensInANewCurrentTab)
{
    open();
    ASSERT_TRUE(loadIn(browser(0), Links));
    ASSERT_TRUE(waitUntilDrawn(browser(0)));
    QSignalSpy opened(&form->tabBook(), &TabBook::tabOpened);
    // A user's click: a page's own script may not open windows.
    QWidget *page = browser(0)->focusProxy();
    ASSERT_TRUE(page);
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(40, 40));
    ASSERT_TRUE(waitForSignal(opened));
    QWebEngineView *second = browser(1);
    ASSERT_TRUE(second);
    EXPECT_EQ(current(), second);
    EXPECT_EQ(strip()->currentIndex(), 1);
    EXPECT_EQ(tabKeys(), (QStringList{QStringLiteral("t0"), QStringLiteral("1t")}));
    ASSERT_TRUE(waitUntil([&] { return second->url() == QUrl(Target) && form->windowTitle() == S(u"目标页"); }));
    EXPECT_EQ(addressBar()->currentText(), Target);
    EXPECT_EQ(strip()->tabText(1), S(u"目标页"));
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(browser(0)->isVisible()) << "the other tab's page is behind";
    // The new browser takes the browsers' place in the layout.
    EXPECT_EQ(second->geometry(), browser(0)->geometry());
}

TEST_F(TabsTest, AClosedMiddleTabsIndexIsReusedByTheNextNewTabStandingLast)
{
    open();
    toolbar(3); // 新页
    toolbar(3);
    EXPECT_EQ(tabList(), (QList<qint16>{0, 1, 2}));
    strip()->setCurrentIndex(1); // the user picks the middle tab
    EXPECT_EQ(current(), browser(1));
    QPointer<QWebEngineView> closed = browser(1);
    click("Close_B");
    EXPECT_EQ(tabList(), (QList<qint16>{0, 2}));
    EXPECT_EQ(tabKeys(), (QStringList{QStringLiteral("t0"), QStringLiteral("2t")}));
    EXPECT_EQ(strip()->currentIndex(), 1) << "the last tab is selected";
    EXPECT_EQ(current(), browser(2));
    ASSERT_TRUE(waitUntil([&] { return closed.isNull(); }));
    EXPECT_EQ(form->findChildren<QListWidget *>(QStringLiteral("mesg")).size(), 2);

    toolbar(3);
    EXPECT_EQ(tabList(), (QList<qint16>{0, 2, 1}));
    EXPECT_EQ(tabKeys(), (QStringList{QStringLiteral("t0"), QStringLiteral("2t"), QStringLiteral("1t")}));
    EXPECT_EQ(strip()->currentIndex(), 2);
    ASSERT_TRUE(browser(1));
    EXPECT_EQ(current(), browser(1));
    EXPECT_TRUE(browser(1)->isVisible());
    EXPECT_EQ(addressBar()->currentText(), QStringLiteral("about:blank")) << "a new tab is blank";
}

TEST_F(TabsTest, TheLastTabIsKeptAndSentHome)
{
    open();
    ASSERT_TRUE(loadIn(browser(0), Target));
    click("Close_B");
    EXPECT_EQ(strip()->count(), 1);
    ASSERT_TRUE(browser(0));
    ASSERT_TRUE(waitUntil([&] { return browser(0)->url() == QUrl(core->options().marketplace.homePage); }));
    EXPECT_TRUE(desktop.prompts.messages.isEmpty());
}

TEST_F(TabsTest, TheFirstTabDoesNotCloseWhileAnItemIsUnderWay)
{
    DetailPage item;
    item.title = S(u"采集中的宝贝");
    item.height = 40000;
    servePage(sharedServer(), detailPageAddress(601), detailPageHtml(item));
    writeConfig(S(u"isAuto=False\r\nPicOutPutPath=") + folder.path() + S(u"\r\n"));
    open(true);
    toolbar(3);
    strip()->setCurrentIndex(0);
    pending().append(S(u"B-1|") + detailPageAddress(601));
    click("StartPickCmd");
    ASSERT_TRUE(waitUntil([&] { return core->batch().isItemUnderWay(); }));
    click("Close_B");
    ASSERT_EQ(desktop.prompts.messages.size(), 1);
    EXPECT_EQ(desktop.prompts.messages.first().text, S(u"采集中不能关闭"));
    EXPECT_EQ(desktop.prompts.messages.first().title, S(u"错误"));
    EXPECT_EQ(desktop.prompts.messages.first().icon, Prompts::Icon::Critical);
    EXPECT_EQ(tabList(), (QList<qint16>{0, 1}));
    // Another tab closes.
    strip()->setCurrentIndex(1);
    click("Close_B");
    EXPECT_EQ(tabList(), QList<qint16>{0});
}

TEST_F(TabsTest, CaptionsComeFromThePageTitle)
{
    open();
    ASSERT_TRUE(loadIn(browser(0), Titled));
    ASSERT_TRUE(waitUntil([&] { return form->windowTitle() == S(u"网页标题很长的例子"); }));
    EXPECT_EQ(strip()->tabText(0), S(u"网页标题很"));

    // A page in a background tab names its tab only; selecting it names the window.
    toolbar(3);
    ASSERT_TRUE(loadIn(browser(0), Target));
    ASSERT_TRUE(waitUntil([&] { return strip()->tabText(0) == S(u"目标页"); }));
    EXPECT_EQ(form->windowTitle(), S(u"Zorvane产品图片下载器")) << "the new tab has no page";
    EXPECT_EQ(addressBar()->currentText(), QStringLiteral("about:blank"));
    strip()->setCurrentIndex(0);
    EXPECT_EQ(form->windowTitle(), S(u"目标页"));
    EXPECT_EQ(addressBar()->currentText(), Target);
}

TEST_F(TabsTest, EnterOpensWebAddressesAndKeepsTheirHistory)
{
    open();
    QSignalSpy finished(browser(0), &QWebEngineView::loadFinished);
    for (const QString &typed : {Target, Target, Target.toUpper()}) {
        const qsizetype loads = finished.size();
        enter(typed);
        ASSERT_TRUE(finished.wait(30000)) << typed.toStdString();
        ASSERT_EQ(finished.size(), loads + 1);
    }
    EXPECT_EQ(browser(0)->url().path(), QStringLiteral("/TABS/TARGET.HTML"));
    EXPECT_EQ(addressBar()->count(), 2) << "once per exact text";
    EXPECT_EQ(addressBar()->itemText(1), Target.toUpper());

    const QString file = QStringLiteral("file:///etc/hostname");
    enter(file);
    EXPECT_EQ(log().last(), S(u"地址栏只能打开http或https网址,未打开:") + file);
    EXPECT_EQ(addressBar()->count(), 2);
    EXPECT_EQ(addressBar()->currentText(), file) << "the refused text stays for correcting";
    EXPECT_NE(browser(0)->page()->requestedUrl(), QUrl(file));
    EXPECT_EQ(current(), browser(0));
}

TEST_F(TabsTest, StepsBetweenTabs)
{
    open();
    toolbar(3);
    strip()->setCurrentIndex(0);
    click("goback");
    EXPECT_EQ(strip()->currentIndex(), 0) << "nothing before the first tab";
    click("GoForward");
    EXPECT_EQ(current(), browser(1));
    click("GoForward");
    EXPECT_EQ(current(), browser(1)) << "nothing after the last tab";
    click("goback");
    EXPECT_EQ(current(), browser(0));
    EXPECT_EQ(strip()->currentIndex(), 0);
}

TEST_F(TabsTest, TwoReleasesOnTheSameTabCloseIt)
{
    open();
    toolbar(3);
    const QPoint onTab = strip()->tabRect(1).center();
    QTest::mouseClick(strip(), Qt::LeftButton, {}, onTab);
    ASSERT_TRUE(waitUntil([&] { return form->tabBook().isTimer2Active(); }));
    // Timer2 ran out in between: the next release starts a new window.
    form->tabBook().Timer2_Timer();
    QTest::mouseClick(strip(), Qt::LeftButton, {}, onTab);
    ASSERT_TRUE(waitUntil([&] { return form->tabBook().isTimer2Active(); }));
    EXPECT_EQ(tabList(), (QList<qint16>{0, 1}));
    QTest::mouseClick(strip(), Qt::LeftButton, {}, onTab);
    ASSERT_TRUE(waitUntil([&] { return tabList() == QList<qint16>{0}; }));
}

TEST_F(TabsTest, RefreshReloadsTheCurrentPage)
{
    open();
    ASSERT_TRUE(loadIn(browser(0), Target));
    const int before = sharedServer().hits(QStringLiteral("/tabs/target.html"));
    QSignalSpy finished(browser(0), &QWebEngineView::loadFinished);
    toolbar(7);
    ASSERT_TRUE(waitForSignal(finished));
    EXPECT_EQ(sharedServer().hits(QStringLiteral("/tabs/target.html")), before + 1);
}

TEST_F(TabsTest, AFileFromAPageGoesToTheDownloadFolderUnderAFreeName)
{
    sharedServer().route(QStringLiteral("www.zorvane.com/tabs/prices.xls"),
                         LocalWebServer::bytes("1,2,3", "application/octet-stream"));
    open();
    ASSERT_TRUE(QDir().mkpath(downloads()));
    const QString earlier = QDir(downloads()).filePath(QStringLiteral("prices.xls"));
    writeBytes(earlier, "earlier");
    browser(0)->load(QUrl(QStringLiteral("http://www.zorvane.com/tabs/prices.xls")));
    const QString saved = QDir(downloads()).filePath(QStringLiteral("prices (1).xls"));
    ASSERT_TRUE(waitUntil([&] { return log().size() == 2; })) << log().join(u'\n').toStdString();
    EXPECT_EQ(log(), (QStringList{S(u"开始下载文件:") + saved, S(u"文件下载完成:") + saved}));
    EXPECT_EQ(readBytes(saved), QByteArray("1,2,3"));
    EXPECT_EQ(readBytes(earlier), QByteArray("earlier"));
}

TEST_F(TabsTest, TheCollectorsViewDownloadsNothing)
{
    sharedServer().route(QStringLiteral("detail.zorvane.com/offer/602.html"),
                         LocalWebServer::bytes("not a page", "application/octet-stream"));
    open();
    QSignalSpy requested(browser(0)->page()->profile(), &QWebEngineProfile::downloadRequested);
    QSignalSpy ended(&core->collectorView(), &PageDocument::loadEnded);
    core->collectorView().Navigate(detailPageAddress(602));
    ASSERT_TRUE(waitForSignal(requested));
    ASSERT_TRUE(waitForSignal(ended));
    EXPECT_TRUE(log().isEmpty());
    EXPECT_FALSE(QDir(downloads()).exists());
}
