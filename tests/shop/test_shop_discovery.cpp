// Whole-shop discovery on the local marketplace: the offer-list pages walked
// in the collector's view, their item links queued and collected.
#include "batch_fixture.h"
#include "log_text.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "page_waits.h"
#include "qt_printers.h"
#include "test_app.h"

#include "lists/item_lines.h"
#include "platform/files/text_file.h"
#include "shell/app/program_core.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

TEST_F(BatchTest, WholeShopIsQueuedAndCollected)
{
    const QString shop = QStringLiteral("myshop");
    QStringList links;
    for (int id : {131, 132, 133}) {
        servedItem(id, S(u"店铺宝贝") + QString::number(id), {});
        links << detailPageAddress(id);
    }
    servePage(sharedServer(), shopOfferListAddress(shop, 1),
              shopOfferListHtml({S(u"第一页"), {links[0], links[1]}}));
    servePage(sharedServer(), shopOfferListAddress(shop, 2), shopOfferListHtml({S(u"第二页"), {links[2]}}));
    servePage(sharedServer(), shopOfferListAddress(shop, 3), shopOfferListHtml({S(u"第三页"), {}}));

    const auto hits = [](int page) {
        return sharedServer().hits(QStringLiteral("/page/offerlist.htm?sortType=tradenumdown&pageNum=%1").arg(page));
    };
    const int page3 = hits(3), page4 = hits(4);
    ShopDiscovery &discovery = core->shop();
    QSignalSpy finished(&discovery, &ShopDiscovery::finished);
    QSignalSpy idle(&core->batch(), &BatchCycle::idle);
    discovery.ASBabyUrlAlaCmd_Click(); // shows the box
    EXPECT_TRUE(discovery.isShopUrlTextVisible());
    discovery.ShopUrlText_MouseDown();
    discovery.setShopUrlText(QStringLiteral("http://myshop.zorvane.com"));
    discovery.ShopUrlText_KeyPress(13);
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(discovery.isShopUrlTextVisible());
    EXPECT_EQ(discovery.ShopUrlText(), ShopDiscovery::hintText());
    EXPECT_EQ(pending().entries(), (QStringList{S(u"myshop#1|") + links[0], S(u"myshop#2|") + links[1],
                                                S(u"myshop#3|") + links[2]}));
    EXPECT_EQ(hits(3) - page3, 1);
    EXPECT_EQ(hits(4) - page4, 0);

    ASSERT_TRUE(idle.wait(120000));
    EXPECT_EQ(downloaded().count(), 3);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(2)).itemNo, S(u"myshop#3"));
    const QStringList log = logMessages(core->log());
    const qsizetype analysing = log.indexOf(S(u"整店宝贝地址分析中...采集暂停片刻..."));
    ASSERT_GE(analysing, 1);
    EXPECT_EQ(log.at(analysing - 1), S(u"启动暂停指示，待最近一次采集完成后将关闭采集"));
    const qsizetype done = log.indexOf(S(u"整店宝贝地址分析完成...恢复采集并开始整店宝贝采集..."));
    ASSERT_GE(done, 1);
    EXPECT_TRUE(log.at(done - 1).startsWith(S(u"启动采集,")));
}

TEST_F(BatchTest, ShopDiscoveryEndsOnOneItemShopsAndRepeatingPages)
{
    const QString one = QStringLiteral("oneshop"), loop = QStringLiteral("loopshop");
    servedItem(141, S(u"唯一宝贝"), {});
    servedItem(142, S(u"重复宝贝"), {});
    servePage(sharedServer(), shopOfferListAddress(one, 1), shopOfferListHtml({S(u"一件"), {detailPageAddress(141)}}));
    servePage(sharedServer(), shopOfferListAddress(one, 2), shopOfferListHtml({S(u"空"), {}}));
    // A shop whose every page number answers with the same page.
    for (int n = 1; n < 6; ++n)
        servePage(sharedServer(), shopOfferListAddress(loop, n),
                  shopOfferListHtml({S(u"总是同一页"), {detailPageAddress(142)}}));

    const auto hits = [](int page) {
        return sharedServer().hits(QStringLiteral("/page/offerlist.htm?sortType=tradenumdown&pageNum=%1").arg(page));
    };
    const int page2 = hits(2), page3 = hits(3);
    ShopDiscovery &discovery = core->shop();
    const auto discover = [&](const QString &name) {
        QSignalSpy finished(&discovery, &ShopDiscovery::finished);
        discovery.setShopUrlText(QStringLiteral("http://") + name + QStringLiteral(".zorvane.com"));
        discovery.AllShopBabyUrlAla();
        return finished.wait(60000);
    };
    // A shop with one item queues it; the batch cycle starts on it.
    ASSERT_TRUE(discover(one));
    EXPECT_EQ(pending().entries().filter(one), QStringList{S(u"oneshop#1|") + detailPageAddress(141)});
    // A shop page that repeats the previous one ends the walk and adds nothing twice.
    ASSERT_TRUE(discover(loop));
    EXPECT_EQ(pending().entries().filter(loop), QStringList{S(u"loopshop#1|") + detailPageAddress(142)});
    EXPECT_EQ(hits(2) - page2, 2);
    EXPECT_EQ(hits(3) - page3, 0);

    // The hint is not an address.
    const qsizetype before = logMessages(core->log()).size();
    discovery.setShopUrlText(ShopDiscovery::hintText());
    discovery.AllShopBabyUrlAla();
    EXPECT_EQ(logMessages(core->log()).mid(before), QStringList{S(u"请输入店铺URL,回车开始采集")});
}

TEST_F(BatchTest, AShopPageThatDoesNotLoadEndsTheWalkAndASecondWalkWaits)
{
    build(quickTimeOuts);
    const QString shop = S(u"halfshop");
    servePage(sharedServer(), shopOfferListAddress(shop, 1),
              shopOfferListHtml({S(u"第一页"), {detailPageAddress(351), detailPageAddress(352)}}));
    FixtureServer::Response never = FixtureServer::page(shopOfferListHtml({S(u"第二页"), {detailPageAddress(353)}}));
    never.stall = true;
    sharedServer().route(S(u"halfshop.zorvane.com/page/offerlist.htm?sortType=tradenumdown&pageNum=2"), never);
    ShopDiscovery &discovery = core->shop();
    QSignalSpy finished(&discovery, &ShopDiscovery::finished);
    discovery.setShopUrlText(S(u"http://halfshop.zorvane.com"));
    discovery.AllShopBabyUrlAla();

    // A second shop typed while the first is walked stays in the box.
    discovery.setShopUrlText(S(u"http://othershop.zorvane.com"));
    discovery.AllShopBabyUrlAla();
    EXPECT_EQ(discovery.ShopUrlText(), S(u"http://othershop.zorvane.com"));
    EXPECT_EQ(logMessages(core->log()).last(),
              S(u"正在分析店铺http://halfshop.zorvane.com的宝贝,请待本次整店采集分析完成后再开始"));

    ASSERT_TRUE(finished.wait(60000));
    sharedServer().releaseStalls();
    EXPECT_EQ(pending().entries(), (QStringList{S(u"halfshop#1|") + detailPageAddress(351),
                                                S(u"halfshop#2|") + detailPageAddress(352)}));
    EXPECT_TRUE(logMessages(core->log()).contains(S(u"店铺第2页加载失败,整店宝贝地址分析到此结束")));
}

TEST_F(BatchTest, WithSkipDownloadedAShopRunQueuesOnlyItsNewItems)
{
    const QString shop = QStringLiteral("newshop");
    QStringList links;
    for (int id : {151, 152, 153}) {
        servedItem(id, S(u"新店宝贝") + QString::number(id), {});
        links << detailPageAddress(id);
    }
    servePage(sharedServer(), shopOfferListAddress(shop, 1), shopOfferListHtml({S(u"第一页"), links}));
    servePage(sharedServer(), shopOfferListAddress(shop, 2), shopOfferListHtml({S(u"第二页"), {}}));
    downloaded().append(S(u"newshop#2|新店宝贝152|/out/152|") + links[1] + S(u"?spm=last-week"));
    core->batch().setSkipDownloaded(true);

    ShopDiscovery &discovery = core->shop();
    QSignalSpy finished(&discovery, &ShopDiscovery::finished);
    QSignalSpy idle(&core->batch(), &BatchCycle::idle);
    discovery.setShopUrlText(QStringLiteral("http://newshop.zorvane.com"));
    discovery.AllShopBabyUrlAla();
    ASSERT_TRUE(finished.wait(60000));
    // The others keep their number in the shop's list.
    EXPECT_EQ(pending().entries(), (QStringList{S(u"newshop#1|") + links[0], S(u"newshop#3|") + links[2]}));
    EXPECT_TRUE(logMessages(core->log()).contains(S(u"店铺共3个宝贝,其中1个已下载过,加入2个新宝贝")));
    ASSERT_TRUE(idle.wait(120000));
    EXPECT_EQ(downloaded().count(), 3);
}
