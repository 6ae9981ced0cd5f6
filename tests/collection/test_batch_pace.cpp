#include "batch_fixture.h"
#include "lazy_pages.h"
#include "page_waits.h"
#include "qt_printers.h"
#include "test_files.h"

#include "lists/item_lines.h"

#include <QDirIterator>
#include <QMap>

namespace {

// Every file of an item folder with its bytes; the info file without its date.
QMap<QString, QByteArray> contentsOf(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QByteArray bytes = readBytes(path);
        if (path.endsWith(S(u"宝贝基本信息.txt")))
            bytes = bytes.left(bytes.indexOf("\r\n", bytes.indexOf("\r\n", bytes.indexOf("\r\n") + 2) + 2));
        files.insert(QDir(folder).relativeFilePath(path), bytes);
    }
    return files;
}

// The collection log of one item, one entry per message, repeats of the
// progress line counted once.
QStringList itemLog(const StatusLog &log, const QString &address)
{
    QStringList steps;
    for (const QString &line : logMessages(log)) {
        if (!line.endsWith(address))
            continue;
        QString step = line.mid(line.indexOf(S(u"采集中:")));
        step.chop(address.size());
        if (steps.isEmpty() || steps.last() != step)
            steps << step;
    }
    return steps;
}

} // namespace

TEST_F(BatchTest, BothPacesSaveTheSameItemWhereTheStandardPaceGetsEveryPicture)
{
    // Pictures tall enough that the standard pace's jumps cannot pass one by.
    LazyServing serving;
    serving.height = 6000;
    serving.mainCount = 3;
    serving.descCount = 6;
    serving.descHeight = 900;
    serving.pageDelayMs = 20;
    serving.chunks = serving.pictures = {20, 20};
    serveLazyItem(sharedServer(), 401, serving);
    QMap<QString, QByteArray> saved[2];
    QStringList logs[2];
    for (const BatchCycle::Pace pace : {BatchCycle::Pace::Standard, BatchCycle::Pace::Fast}) {
        const int i = pace == BatchCycle::Pace::Fast;
        SCOPED_TRACE(i ? "fast" : "standard");
        build({});
        core->setPace(pace, false);
        pending().append(S(u"P-1|") + detailPageAddress(401));
        runUntilIdle();
        ASSERT_EQ(downloaded().count(), 1);
        const QString folder = DownloadedLine::parse(downloaded().at(0)).folder;
        EXPECT_EQ(filesIn(folder + S(u"/描述图")).size(), 6);
        saved[i] = contentsOf(folder);
        logs[i] = itemLog(core->log(), detailPageAddress(401));
        QDir(folder).removeRecursively();
    }
    EXPECT_EQ(saved[1], saved[0]);
    EXPECT_EQ(logs[1], logs[0]);
    EXPECT_TRUE(logs[1].contains(S(u"采集中:图片地址分析中..._")));
}

TEST_F(BatchTest, TheFastPaceCollectsEveryPictureOfAPageThatGrowsAsItIsScrolled)
{
    // A controller that would tick once an hour: only the fast pace's own
    // start of the next item gets the run done.
    build([](ProgramCore::Options &options) { options.intervals.controllerMs = 3600 * 1000; });
    core->setPace(BatchCycle::Pace::Fast, true);
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("PickPace")), S(u"快速"));
    const LazyDetailPage first = serveLazyItem(sharedServer(), 411, 12000, 4, 16, 30);
    serveLazyItem(sharedServer(), 412, 8000, 2, 6, 30);
    pending().append(S(u"L-1|") + detailPageAddress(411));
    pending().append(S(u"L-2|") + detailPageAddress(412));
    runUntilIdle();
    ASSERT_EQ(downloaded().count(), 2);
    const QString folder = DownloadedLine::parse(downloaded().at(0)).folder;
    EXPECT_EQ(filesIn(folder + S(u"/描述图")).size(), first.descImages.size());
    EXPECT_EQ(filesIn(folder + S(u"/主图")).size(), first.mainImages.size());
}

TEST_F(BatchTest, AFastPageThatKeepsGrowingEndsAtTheCap)
{
    build([](ProgramCore::Options &options) { options.intervals.fastMaxScrollMs = 2000; });
    core->setPace(BatchCycle::Pace::Fast, false);
    const QString growing = servedGrowingItem(421);
    pending().append(S(u"G-1|") + growing);
    runUntilIdle();
    EXPECT_EQ(downloaded().count(), 1);
    EXPECT_TRUE(logMessages(core->log()).contains(S(u"G-1采集中:页面在限定时间内未能稳定,按页面现有内容继续采集_") + growing));
}

TEST_F(BatchTest, APauseAskedDuringAFastItemTakesEffectAfterIt)
{
    core->setPace(BatchCycle::Pace::Fast, false);
    serveLazyItem(sharedServer(), 431, 6000, 2, 4, 20);
    serveLazyItem(sharedServer(), 432, 6000, 2, 4, 20);
    pending().append(S(u"S-1|") + detailPageAddress(431));
    pending().append(S(u"S-2|") + detailPageAddress(432));
    QSignalSpy stopped(&core->batch(), &BatchCycle::stopped);
    core->batch().StartPickCmd_Click();
    ASSERT_TRUE(waitUntil([&] { return core->records().PickBusy(0); }, 60000));
    core->batch().StopPickCmd_Click();
    ASSERT_TRUE(stopped.wait(60000));
    EXPECT_EQ(downloaded().count(), 1);
    EXPECT_EQ(pending().entries(), QStringList{S(u"S-2|") + detailPageAddress(432)});
    EXPECT_FALSE(logMessages(core->log()).contains(S(u"S-2采集中:加载_") + detailPageAddress(432)));
}
