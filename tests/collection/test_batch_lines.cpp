// What becomes of a line across failures, restarts and shutdown: an item none
// of whose pictures came, a line sent back on purpose, the program closing
// while items are saved. Every save of listdata.txt is audited.
#include "pictures.h"
#include "test_files.h"
#include "qt_printers.h"
#include "recording_desktop.h"
#include "scripted_batch.h"

#include "download/info_file.h"
#include "lists/downloaded_commands.h"
#include "lists/export/export_items.h"
#include "platform/files/text_file.h"

#include <QDirIterator>
#include <QSignalSpy>

namespace {

QStringList itemFolders(const QString &output)
{
    return QDir(output).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST_F(ScriptedBatch, AnItemNoneOfWhosePicturesCameIsTriedTwiceThenGoesToTheBoxAndLeavesNoFolder)
{
    LocalWebServer pictures;
    pictures.route(QStringLiteral("/m1.jpg"), LocalWebServer::status(503));
    pictures.route(QStringLiteral("/d1.jpg"), LocalWebServer::status(403));
    for (const int collectors : {1, 3}) {
        SCOPED_TRACE(collectors);
        rebuild(quick(), collectors);
        const int refused = collectors * 10 + 1, bare = refused + 1;
        serve(item(refused), detailSnapshot(item(refused), QStringLiteral("拒绝图片"), {pictures.base() + QStringLiteral("/m1.jpg")},
                                            {pictures.base() + QStringLiteral("/d1.jpg")}));
        serveGood(bare, QStringLiteral("没有图片"));
        const QString itemNo = QStringLiteral("R%1").arg(collectors);
        queue(itemNo, item(refused));
        queue(QStringLiteral("N%1").arg(collectors), item(bare));
        EXPECT_EQ(runToEnd(), 0);

        EXPECT_EQ(requests(item(refused)), 2);
        EXPECT_TRUE(lists.AddUrlText().endsWith(item(refused) + QLatin1Char('|') + itemNo));
        const QStringList lines = logOf(itemNo);
        EXPECT_EQ(lines.filter(QStringLiteral("2张图片都未能下载(图片服务器回答503)")),
                  (QStringList{S(u"采集中:2张图片都未能下载(图片服务器回答503),宝贝已放回待下载列表顶部_") + item(refused),
                               S(u"采集中:2张图片都未能下载(图片服务器回答503),已放弃该宝贝_") + item(refused)}));
        EXPECT_TRUE(lines.filter(QStringLiteral("采集成功")).isEmpty());
        EXPECT_EQ(lines.last(), S(u"采集中:本次采集结束_") + item(refused));
    }
    // A page that names no picture at all is saved as ever, with its folder.
    EXPECT_EQ(downloadedNumbers(), (QStringList{"N1", "N3"}));
    EXPECT_EQ(itemFolders(output), (QStringList{S(u"没有图片"), S(u"没有图片1")}));
    expectAuditClean();
}

namespace {

struct SentBackCase
{
    const char *name;
    // How the line sent back reaches the next run.
    std::function<void(ScriptedBatch &)> between;
};
ZORVANE_PRINT_AS_NAME(SentBackCase)

class SentBack : public ScriptedBatch, public ::testing::WithParamInterface<SentBackCase> {};

} // namespace

TEST_P(SentBack, ALineSentBackOnPurposeIsCollectedAgainWithSkipOnAfterARestart)
{
    serveGood(1, QStringLiteral("好宝贝"));
    // The page was downloaded twice: sending one entry back leaves the other.
    downloadedBefore(QStringLiteral("B|好宝贝|/out/B|https://detail.zorvane.com/offer/1.html"));
    lists.AlreadyDownedList().insert(0, QStringLiteral("A|好宝贝|/out/A|") + item(1));
    audit.queued(QStringLiteral("A"), item(1));
    lists.AlreadyDownedList().setSelected(0, true);
    RecordingOpener opener;
    DownloadedCommands(lists, listFile, search, log, opener).RePickCmd_Click();
    GetParam().between(*this);
    // A program started afresh: nothing of the last one is in memory.
    lists.readyDownList().clear();
    lists.AlreadyDownedList().clear();
    ASSERT_TRUE(listFile.LoadLists());
    rebuild(quick(), 3);
    batch->setSkipDownloaded(true);
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(downloadedNumbers(), (QStringList{"B", "A"}));
    EXPECT_TRUE(logOf(QStringLiteral("A")).filter(QStringLiteral("已下载过")).isEmpty());
    expectAuditClean();
}

INSTANTIATE_TEST_SUITE_P(
    Restarts, SentBack,
    ::testing::Values(SentBackCase{"saved_and_read_back", [](ScriptedBatch &) {}},
                      // Closed while the item was under way: back with the interrupted-item marker too.
                      SentBackCase{"interrupted", [](ScriptedBatch &t) {
                                       t.pages[0]->serve(t.item(1), {}, ScriptedPage::Load::Held);
                                       t.rebuild(t.quick(), 1);
                                       t.start();
                                       ASSERT_TRUE(t.waitFor([&] { return t.pages[0]->holds(t.item(1)); }));
                                       t.batch->requeueInterruptedItem();
                                       t.batch->halt();
                                       ASSERT_TRUE(t.listFile.SaveLists());
                                       EXPECT_EQ(t.lists.readyDownList().at(0),
                                                 QStringLiteral("A|") + t.item(1) + QLatin1Char('|') + InterruptedMarker
                                                     + QLatin1Char('|') + SentBackMarker);
                                       t.serveGood(1, QStringLiteral("好宝贝"));
                                   }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ScriptedBatch, AnItemSentBackThreeTimesKeepsItsNumberInfoFileAndExportedNumber)
{
    serveGood(1, QStringLiteral("好宝贝"), ScriptedPage::Load::Page, {{QStringLiteral("货号"), QStringLiteral("ZV-1001")}});
    queue(QStringLiteral("demoshop#1"), item(1));
    const QString number = QStringLiteral("demoshop#1->ZV-1001");
    for (int round = 0; round <= 3; ++round) {
        SCOPED_TRACE(round);
        if (round > 0) {
            lists.AlreadyDownedList().setSelected(0, true);
            RecordingOpener opener;
            DownloadedCommands(lists, listFile, search, log, opener).RePickCmd_Click();
            ASSERT_EQ(lists.readyDownList().count(), 1);
        }
        EXPECT_EQ(runToEnd(), 0);
        ASSERT_EQ(lists.AlreadyDownedList().count(), 1);
        const DownloadedLine saved = DownloadedLine::parse(lists.AlreadyDownedList().at(0));
        EXPECT_EQ(saved.itemNo, number);
        EXPECT_EQ(saved.title, QStringLiteral("ZV1001好宝贝")) << "the folder's title, cleaned";
        const std::optional<InfoFile> info = parseInfoFile(readLocalTextFile(saved.folder + QStringLiteral("/宝贝基本信息.txt")).value_or(QString()));
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->itemNo, number);
        EXPECT_EQ(readExportItem(saved).line.itemNo, number);
        batch->StopPickCmd_Click();
        ASSERT_TRUE(waitFor([&] { return !batch->isControllerOn(); }));
    }
    // Each collection made a folder of its own; none took a longer name.
    EXPECT_EQ(itemFolders(output), (QStringList{S(u"ZV1001好宝贝"), S(u"ZV1001好宝贝1"), S(u"ZV1001好宝贝2"), S(u"ZV1001好宝贝3")}));
    expectAuditClean();
}

TEST_F(ScriptedBatch, AnEmptyItemNumberCellAddsNothingAndASaveFolderWithABarIsNeverWrittenInto)
{
    serveGood(1, QStringLiteral("无货号"), ScriptedPage::Load::Page, {{QStringLiteral("货号"), QStringLiteral(" ")}});
    queue(QStringLiteral("货1"), item(1));
    EXPECT_EQ(runToEnd(), 0);
    EXPECT_EQ(downloadedNumbers(), QStringList{"货1"}) << "no \"->\" without a number";
    EXPECT_EQ(DownloadedLine::parse(lists.AlreadyDownedList().at(0)).title, QStringLiteral("无货号"));

    // A save folder stored before such folders were refused: no line is written with it.
    const QString barred = QDir(folder.path()).filePath(QStringLiteral("春|夏"));
    QDir().mkpath(barred);
    settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), barred);
    serveGood(2, QStringLiteral("好宝贝"));
    queue(QStringLiteral("货2"), item(2));
    Run run = start();
    ASSERT_TRUE(waitFor([&] { return run.over(); }));
    EXPECT_EQ(run.stopped->size(), 1) << "paused, as for a folder that cannot be written";
    EXPECT_EQ(pendingNumbers(), QStringList{"货2"});
    EXPECT_EQ(downloadedNumbers(), QStringList{"货1"});
    EXPECT_TRUE(QDir(barred).isEmpty());
    expectAuditClean();
}

TEST_F(ScriptedBatch, AfterShutdownNothingRunsTheFileStaysAsSavedAndNoFolderIsLeft)
{
    // Three items saving at once, their pictures slow to come.
    LocalWebServer pictures;
    LocalWebServer::Response slow = LocalWebServer::bytes(makePicture(800, 40), "image/jpeg");
    slow.delayMs = 400;
    pictures.route(QStringLiteral("/slow.jpg"), slow);
    rebuild(quick(), 3);
    for (int k = 1; k <= 3; ++k) {
        serve(item(k), detailSnapshot(item(k), QStringLiteral("慢图%1").arg(k),
                                      {pictures.base() + QStringLiteral("/slow.jpg?%1").arg(k)},
                                      {pictures.base() + QStringLiteral("/slow.jpg?d%1").arg(k)}));
        queue(QStringLiteral("S%1").arg(k), item(k));
    }
    start();
    ASSERT_TRUE(waitFor([&] {
        const auto &all = batch->collectorList();
        return all.size() == 3
            && std::all_of(all.cbegin(), all.cend(), [](const Collector *c) { return c->step() == Collector::Step::Saving; });
    }));
    // As the program closes: the items back on top, nothing more run, the lists saved.
    batch->requeueInterruptedItem();
    batch->halt();
    ASSERT_TRUE(listFile.SaveLists());
    const QByteArray saved = readBytes(listFile.path());
    const int saves = audit.saves();
    // Two seconds, as long as a message box is read, for the pictures (400 ms
    // late) to arrive and a save to follow; any save ends the wait at once.
    QSignalSpy written(&listFile, &ListFile::written);
    EXPECT_FALSE(written.wait(2000)) << "nothing wrote the lists again";
    EXPECT_EQ(audit.saves(), saves);
    EXPECT_EQ(readBytes(listFile.path()), saved);
    EXPECT_EQ(lists.AlreadyDownedList().count(), 0);
    EXPECT_EQ(pendingNumbers(), (QStringList{"S1", "S2", "S3"}));
    EXPECT_TRUE(itemFolders(output).isEmpty()) << itemFolders(output).join(u' ').toStdString();
    EXPECT_EQ(logged(QStringLiteral("采集成功")), 0);
    expectAuditClean();
}
