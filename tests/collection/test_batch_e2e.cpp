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

    EXPECT_EQ(core->lists().AddUrlText(), plain + S(u"|B-2"));
    EXPECT_TRUE(pending().entries().isEmpty());
    EXPECT_EQ(downloaded().entries(),
              (QStringList{S(u"A-1->P-101|P101春季新款连衣裙|") + first + u'|' + detailPageAddress(101),
                           S(u"C-3|男士夹克|") + second + u'|' + detailPageAddress(102)}));
    EXPECT_FALSE(core->records().PickBusy(0));

    // listdata.txt holds exactly what the lists hold.
    const QString saved = readLocalTextFile(core->listFile().path()).value();
    EXPECT_EQ(saved, S(u"<AddUrlText>\r\n") + plain + S(u"|B-2\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n")
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

TEST_F(BatchTest, APendingLineWithoutAnAddressGoesBackUnloaded)
{
    pending().append(QStringLiteral("justtext"));
    const int loads = sharedServer().hits(QStringLiteral("/justtext"));
    runUntilIdle();
    EXPECT_TRUE(pending().entries().isEmpty());
    EXPECT_EQ(core->lists().AddUrlText(), QStringLiteral("justtext"));
    EXPECT_EQ(sharedServer().hits(QStringLiteral("/justtext")), loads);
    const QStringList log = logMessages(core->log());
    EXPECT_TRUE(log.contains(S(u"justtext采集中:采集地址非法,不是Zorvane宝贝下载地址_")));
    EXPECT_FALSE(log.contains(S(u"justtext采集中:加载_")));
}
