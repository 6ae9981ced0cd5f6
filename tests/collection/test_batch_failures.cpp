#include "batch_fixture.h"
#include "page_waits.h"
#include "qt_printers.h"

#include "lists/item_lines.h"
#include "lists/list_file.h"
#include "platform/files/text_file.h"

#include <QDir>

namespace {

QString listDataOf(const ProgramCore &core)
{
    return readLocalTextFile(const_cast<ProgramCore &>(core).listFile().path()).value_or(QString());
}

} // namespace

TEST_F(BatchTest, PagesThatDoNotLoadOrHangCostTheirItemOnly)
{
    build(quickTimeOuts);
    servedItem(301, S(u"第一件"), {});
    FixtureServer::Response never = FixtureServer::page(plainPageHtml(S(u"迟到"), S(u"<p>late</p>")));
    never.stall = true;
    sharedServer().route(S(u"detail.zorvane.com/offer/302.html"), never);
    const QString hung = servedScriptedItem(303, S(u"卡死"), S(u"<script>while (true) {}</script>"));
    servedItem(304, S(u"最后一件"), {});
    for (const QString &line : QStringList{S(u"A-1|") + detailPageAddress(301), S(u"B-2|") + detailPageAddress(302),
                                           S(u"C-3|http://"), S(u"D-4|") + hung, S(u"E-5|") + detailPageAddress(304)})
        pending().append(line);

    runUntilIdle();
    sharedServer().releaseStalls();

    // Nobody's pictures under another item's name: only the two good items are listed.
    ASSERT_EQ(downloaded().count(), 2);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(0)).title, S(u"第一件"));
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(1)).itemNo, S(u"E-5"));
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(1)).title, S(u"最后一件"));
    EXPECT_EQ(core->lists().AddUrlText(), detailPageAddress(302) + S(u"|B-2\r\nhttp://|C-3\r\n") + hung + S(u"|D-4"));
    const QStringList log = logMessages(core->log());
    const struct
    {
        QString itemNo, address, why;
    } rejected[] = {
        {S(u"B-2"), detailPageAddress(302), S(u"采集中:页面加载失败(无法连接或超时)_")},
        {S(u"C-3"), S(u"http://"), S(u"采集中:采集地址非法,不是Zorvane宝贝下载地址_")},
        {S(u"D-4"), hung, S(u"采集中:页面无响应,已放弃该页面_")},
    };
    for (const auto &r : rejected) {
        SCOPED_TRACE(r.itemNo.toStdString());
        const qsizetype at = log.indexOf(r.itemNo + r.why + r.address);
        ASSERT_GE(at, 0);
        EXPECT_EQ(log.value(at + 1), r.itemNo + S(u"采集中:本次采集结束_") + r.address);
        EXPECT_FALSE(log.contains(r.itemNo + S(u"采集中:加载完成_") + r.address)) << "nothing was read of it";
    }
}

TEST_F(BatchTest, AnItemGivenBackReturnsAsItWasTakenAndThePauseFollows)
{
    // The queued address is redirected, and the page names another item number.
    servedItem(311, S(u"换了货号"), {{S(u"货号"), S(u"B-7")}});
    FixtureServer::Response moved = FixtureServer::status(302);
    moved.location = detailPageAddress(311).toUtf8();
    sharedServer().route(S(u"detail.zorvane.com/offer/310.html"), moved);
    pending().append(S(u"A-1|") + detailPageAddress(310));
    pending().append(S(u"N-2|") + detailPageAddress(301));
    core->settings().SaveConfigValue(QStringLiteral("PicOutPutPath"), QString());

    QSignalSpy stopped(&core->batch(), &BatchCycle::stopped);
    core->batch().StartPickCmd_Click();
    ASSERT_TRUE(stopped.wait(60000));
    EXPECT_EQ(pending().entries(), (QStringList{S(u"A-1|") + detailPageAddress(310), S(u"N-2|") + detailPageAddress(301)}));
    EXPECT_TRUE(listDataOf(*core).contains(S(u"<readyDownList>\r\nA-1|") + detailPageAddress(310) + S(u"\r\nN-2|")));
    EXPECT_EQ(downloaded().count(), 0);
    const QStringList log = logMessages(core->log());
    const qsizetype reason = log.indexOf(S(u"A-1->B-7采集中:未设定图片保存目录,请点击\"保存目录\"选择保存目录,"
                                           u"宝贝已放回待下载列表顶部,采集暂停_") + detailPageAddress(311));
    ASSERT_GE(reason, 0) << log.join(u'\n').toStdString();
    EXPECT_EQ(log.value(reason + 1), S(u"启动暂停指示，待最近一次采集完成后将关闭采集"));
}

TEST_F(BatchTest, APageThatStopsAnsweringWhileScrolledIsTriedOnceMoreThenGivenUp)
{
    build(quickTimeOuts);
    const QString freezing = servedScriptedItem(
        321, S(u"滚动卡死"),
        S(u"<script>addEventListener('scroll', function () { if (scrollY > 30) while (true) {} });</script>"));
    servedItem(322, S(u"正常宝贝"), {});
    pending().append(S(u"X-1|") + freezing);
    pending().append(S(u"Y-2|") + detailPageAddress(322));

    runUntilIdle();

    EXPECT_EQ(downloaded().count(), 1);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(0)).itemNo, S(u"Y-2"));
    EXPECT_EQ(core->lists().AddUrlText(), freezing + S(u"|X-1"));
    const QStringList log = logMessages(core->log());
    EXPECT_EQ(log.filter(S(u"X-1采集中:页面无响应,读取失败,宝贝已放回待下载列表顶部_")).size(), 1);
    EXPECT_EQ(log.filter(S(u"X-1采集中:加载_")).size(), 2);
    EXPECT_TRUE(log.contains(S(u"X-1采集中:页面无响应,已放弃该页面_") + freezing));
    EXPECT_FALSE(log.join(u'\n').contains(S(u"X-1采集中:采集成功")));
}

TEST_F(BatchTest, PageTextNeverCorruptsTheLists)
{
    // Set by the page's own script, as the marketplace's scripts could.
    servedScriptedItem(331, S(u"\n 春季新款\n"),
                       S(u"<script>addEventListener('DOMContentLoaded', function () {"
                         u"document.querySelector('td.de-value').textContent = 'H\\r<AlreadyDownedList>'; });</script>"),
                       {{S(u"货号"), S(u"placeholder")}});
    servedItem(332, QString(), {});
    servedItem(333, S(u"竖|线"), {{S(u"货号"), S(u"H|1|2")}, {S(u"说明"), S(u"a\tb|c")}});
    pending().append(S(u"Q-1|") + detailPageAddress(331));
    pending().append(S(u"Q-2|") + detailPageAddress(332));
    pending().append(S(u"Q-3|") + detailPageAddress(333));

    runUntilIdle();

    ASSERT_EQ(downloaded().count(), 3);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(0)).itemNo, S(u"Q-1->H &lt;AlreadyDownedList&gt;"));
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(0)).title, S(u"H&lt;AlreadyDownedList&gt;春季新款"));
    // No title of its own: not the previous item's either.
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(1)).title, QString());
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(2)).itemNo, S(u"Q-3->H｜1｜2"));
    // In the folder title "|" goes, as every name cleaning removes it.
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(2)).title, S(u"H12竖线"));
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(2)).address, detailPageAddress(333));
    const QString info = readLocalTextFile(DownloadedLine::parse(downloaded().at(2)).folder + S(u"/宝贝基本信息.txt")).value();
    EXPECT_TRUE(info.endsWith(S(u"宝贝属性：\r\n货号:H｜1｜2\r\n说明:a b｜c\r\n"))) << info.toStdString();

    // After a restart the lists read back exactly as they were.
    ListStore restarted;
    StatusLog log;
    ASSERT_TRUE(ListFile(restarted, log, core->listFile().path()).LoadLists());
    EXPECT_EQ(restarted.AlreadyDownedList().entries(), downloaded().entries());
    EXPECT_TRUE(restarted.readyDownList().entries().isEmpty());
}

TEST_F(BatchTest, AGrowingPageEndsAtTheScrollCapAndTheItemUnderWayIsInTheFileMeanwhile)
{
    build([](ProgramCore::Options &options) { options.intervals.maxScrollMs = 3000; });
    const QString growing = servedGrowingItem(341);
    servedItem(342, S(u"下一件"), {});
    pending().append(S(u"G-1|") + growing);
    pending().append(S(u"G-2|") + detailPageAddress(342));

    QSignalSpy idle(&core->batch(), &BatchCycle::idle);
    core->batch().StartPickCmd_Click();
    ASSERT_TRUE(waitUntil([&] { return core->records().PickBusy(0); }, 60000));
    // Taken off the pending list, yet a crash now would not lose it.
    EXPECT_EQ(pending().entries(), QStringList{S(u"G-2|") + detailPageAddress(342)});
    EXPECT_TRUE(listDataOf(*core).contains(S(u"<readyDownList>\r\nG-1|") + growing + S(u"|[上次软件退出未采集完成]\r\nG-2|")));
    ASSERT_TRUE(idle.wait(120000));

    EXPECT_EQ(downloaded().count(), 2);
    EXPECT_TRUE(logMessages(core->log()).contains(S(u"G-1采集中:页面在限定时间内未能稳定,按页面现有内容继续采集_") + growing));
    EXPECT_FALSE(listDataOf(*core).contains(S(u"[上次软件退出未采集完成]")));
}

