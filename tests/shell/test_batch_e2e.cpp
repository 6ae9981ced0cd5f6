#include "batch_fixture.h"
#include "log_text.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "page_waits.h"
#include "qt_printers.h"
#include "test_app.h"

#include "lists/item_lines.h"
#include "platform/text_file.h"
#include "shell/program_core.h"

#include <QDir>
#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>



TEST_F(BatchTest, WorksOffThePendingListAndRejectsNonDetailPages)
{
    servedItem(101, S(u"春季新款连衣裙"), {{S(u"颜色"), S(u"红")}, {S(u"货号"), S(u"P-101")}});
    servedItem(102, S(u"男士夹克"), {{S(u"尺码"), S(u"XL")}});
    const QString plain = QStringLiteral("http://www.zorvane.com/help.html");
    servePage(sharedServer(), plain, plainPageHtml(S(u"帮助中心"), S(u"<div id=\"mod-detail\">no description</div>")));
    pending().append(S(u"A-1|") + detailPageAddress(101));
    pending().append(S(u"B-2|") + plain);
    pending().append(S(u"C-3|") + detailPageAddress(102));

    runUntilIdle();

    // The page's own item number differs: it leads the title (cleaned of its "-" for
    // the folder) and follows the pending one.
    const QString first = QDir(output).filePath(S(u"P101春季新款连衣裙"));
    const QString second = QDir(output).filePath(S(u"男士夹克"));
    EXPECT_EQ(QDir(output).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{S(u"P101春季新款连衣裙"), S(u"男士夹克")}));
    for (const QString &item : {first, second}) {
        EXPECT_EQ(filesIn(item + S(u"/主图")), (QStringList{S(u"主图1.jpg"), S(u"主图2.png")}));
        EXPECT_EQ(filesIn(item + S(u"/描述图")), (QStringList{S(u"描述图1.jpg"), S(u"描述图2.jpg")}));
        EXPECT_EQ(QImageReader(item + S(u"/描述图/描述图2.jpg")).size().width(), 790);
    }
    const QString info = readLocalTextFile(first + S(u"/宝贝基本信息.txt")).value();
    EXPECT_TRUE(info.startsWith(S(u"宝贝货号：A-1->P-101\r\n宝贝标题：P101春季新款连衣裙\r\n宝贝链接：")
                                + detailPageAddress(101) + S(u"\r\n")));
    EXPECT_TRUE(info.endsWith(S(u"宝贝属性：\r\n颜色:红\r\n货号:P-101\r\n")));

    EXPECT_EQ(core->lists().AddUrlText(), S(u"\r\n") + plain + S(u"|B-2"));
    EXPECT_TRUE(pending().entries().isEmpty());
    EXPECT_EQ(downloaded().entries(),
              (QStringList{S(u"A-1->P-101|P101春季新款连衣裙|") + first + u'|' + detailPageAddress(101),
                           S(u"C-3|男士夹克|") + second + u'|' + detailPageAddress(102)}));
    EXPECT_FALSE(core->records().PickBusy(0));

    // listdata.txt holds exactly what the lists hold.
    const QString saved = readLocalTextFile(core->listFile().path()).value();
    EXPECT_EQ(saved, S(u"<AddUrlText>\r\n\r\n") + plain + S(u"|B-2\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n")
                         + downloaded().at(0) + S(u"\r\n") + downloaded().at(1) + S(u"\r\n"));

    const QStringList log = logMessages(core->log());
    const QString a = detailPageAddress(101);
    const qsizetype load = log.indexOf(S(u"A-1采集中:加载_") + a);
    ASSERT_GE(load, 0);
    EXPECT_EQ(log.mid(load, 6), (QStringList{S(u"A-1采集中:加载_") + a, S(u"A-1采集中:加载完成_") + a,
                                             S(u"A-1采集中:基本信息获取完成_") + a, S(u"A-1采集中:判断地址合法性_") + a,
                                             S(u"A-1采集中:开始图片URL分析_") + a,
                                             S(u"A-1->P-101采集中:图片地址分析中..._") + a}));
    EXPECT_TRUE(log.contains(S(u"A-1->P-101采集中:图片地址分析完成_") + a));
    EXPECT_TRUE(log.contains(S(u"B-2采集中:采集地址非法,不是Zorvane宝贝下载地址_") + plain));
    EXPECT_EQ(log.indexOf(S(u"B-2采集中:本次采集结束_") + plain),
              log.indexOf(S(u"B-2采集中:采集地址非法,不是Zorvane宝贝下载地址_") + plain) + 1);
    EXPECT_TRUE(log.contains(S(u"C-3采集中:采集成功!选中已下载项，双击查看下集结果!_") + detailPageAddress(102)));
}

TEST_F(BatchTest, PauseTakesEffectAfterTheItemUnderWay)
{
    servedItem(111, S(u"暂停一"), {}, 6000);
    servedItem(112, S(u"暂停二"), {});
    pending().append(S(u"X-1|") + detailPageAddress(111));
    pending().append(S(u"X-2|") + detailPageAddress(112));
    QStringList captions;
    QObject::connect(&core->batch(), &BatchCycle::uiStateChanged, [&] {
        if (captions.isEmpty() || captions.last() != core->batch().indicatorCaption())
            captions << core->batch().indicatorCaption();
    });
    QStringList stopCaptions;
    QObject::connect(&core->batch(), &BatchCycle::uiStateChanged, [&] {
        if (stopCaptions.isEmpty() || stopCaptions.last() != core->batch().stopCaption())
            stopCaptions << core->batch().stopCaption();
    });
    QSignalSpy stopped(&core->batch(), &BatchCycle::stopped);
    core->batch().StartPickCmd_Click();
    ASSERT_TRUE(waitUntil([&] { return core->records().PickBusy(0); }, 60000));
    EXPECT_FALSE(core->batch().isStartEnabled());
    core->batch().StopPickCmd_Click();
    ASSERT_TRUE(stopped.wait(120000));

    EXPECT_EQ(downloaded().count(), 1);
    EXPECT_EQ(pending().entries(), QStringList{S(u"X-2|") + detailPageAddress(112)});
    EXPECT_TRUE(core->batch().isStartEnabled());
    EXPECT_FALSE(core->batch().isControllerOn());
    EXPECT_FALSE(core->batch().PickPauseFlag());
    EXPECT_EQ(stopCaptions, (QStringList{S(u"暂停"), S(u"等待暂停"), S(u"暂停")}));
    // The blinking indicator runs through its six captions and starts again.
    const QStringList cycle{S(u"采"), S(u"采集"), S(u"采集中"), S(u"采集中."), S(u"采集中.."), S(u"采集中..."), S(u"采")};
    const qsizetype start = captions.indexOf(S(u"采"));
    ASSERT_GE(start, 0);
    ASSERT_GE(captions.size(), start + cycle.size()) << captions.join(u',').toStdString();
    EXPECT_EQ(captions.mid(start, cycle.size()), cycle);
    EXPECT_TRUE(core->batch().indicatorCaption().isEmpty());
    const QStringList log = logMessages(core->log());
    EXPECT_TRUE(log.contains(S(u"启动暂停指示，待最近一次采集完成后将关闭采集")));
}

TEST_F(BatchTest, ScrollStepDoublesWhileThePageStopsGrowing)
{
    DetailPage item = servedItem(121, S(u"很长的页面"), {}, 400000);
    item.descImages.clear();
    servePage(sharedServer(), detailPageAddress(121), detailPageHtml(item));
    pending().append(S(u"L-1|") + detailPageAddress(121));
    QList<int> steps;
    QObject::connect(&core->log(), &StatusLog::lineAdded, [&](const QString &line) {
        if (line.contains(S(u"采集中:图片地址分析中..._")))
            steps << core->batch().PickStep();
    });
    runUntilIdle();
    ASSERT_GE(steps.size(), 15);
    EXPECT_EQ(steps.mid(0, 15), (QList<int>{10, 10, 10, 10, 20, 20, 20, 20, 20, 40, 40, 40, 40, 40, 80}));
    EXPECT_EQ(*std::max_element(steps.cbegin(), steps.cend()), BatchCycle::MaxPickStep);
    EXPECT_EQ(downloaded().count(), 1);
}

TEST_F(BatchTest, StartIsRefusedWhenTheNetworkCheckFails)
{
    ProgramCore::Options options;
    options.programFolder = folder.path();
    options.marketplace.checkHost = QStringLiteral("no-such-host.invalid");
    ProgramCore offline(options);
    bool answered = false, started = true;
    offline.batch().StartPickCmd_Click([&](bool ok) {
        answered = true;
        started = ok;
    });
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_FALSE(started);
    EXPECT_TRUE(offline.batch().isStartEnabled());
    EXPECT_FALSE(offline.batch().isControllerOn());
    EXPECT_EQ(logMessages(offline.log()), QStringList{S(u"启动采集失败,请检测网络是否连通!")});
}

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

TEST_F(BatchTest, APendingLineWithoutAnAddressGoesBackUnloaded)
{
    pending().append(QStringLiteral("justtext"));
    const int loads = sharedServer().hits(QStringLiteral("/justtext"));
    runUntilIdle();
    EXPECT_TRUE(pending().entries().isEmpty());
    EXPECT_EQ(core->lists().AddUrlText(), QStringLiteral("\r\njusttext"));
    EXPECT_EQ(sharedServer().hits(QStringLiteral("/justtext")), loads);
    const QStringList log = logMessages(core->log());
    EXPECT_TRUE(log.contains(S(u"justtext采集中:采集地址非法,不是Zorvane宝贝下载地址_")));
    EXPECT_FALSE(log.contains(S(u"justtext采集中:加载_")));
}
