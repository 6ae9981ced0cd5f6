// Pages answering at a busy marketplace's pace: description chunks asked for
// by the page's own script and answered up to 2 s late, pictures up to 0.5 s
// late, requests that never end, and pages that send nothing or hang.
#include "batch_fixture.h"
#include "lazy_pages.h"
#include "qt_printers.h"
#include "test_files.h"

#include "lists/item_lines.h"

#include <QDirIterator>
#include <QMap>

namespace {

// The description pictures of an item folder with their bytes.
QMap<QString, QByteArray> descriptionOf(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder + S(u"/描述图"), QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(it.fileName(), readBytes(path));
    }
    return files;
}

struct SlowPage
{
    const char *name;
    int id;
    int chunkMs;     // each chunk's answer delay
    int chunks;
    int pictureMaxMs; // pictures answer 20 ms to this late
    int shownHeight; // of every description picture
    bool standardToo; // the standard pace collects it as well, to compare (it takes ten times as long)
};
ZORVANE_PRINT_AS_NAME(SlowPage)

constexpr int DescPictures = 9;

} // namespace

class SlowPages : public BatchTest, public ::testing::WithParamInterface<SlowPage> {};

TEST_P(SlowPages, TheFastPaceSavesEveryDescriptionPictureAsTheStandardPaceDoes)
{
    const SlowPage c = GetParam();
    LazyServing serving;
    serving.height = 8000;
    serving.mainCount = 2;
    serving.descCount = DescPictures;
    serving.sections = c.chunks;
    serving.descHeight = c.shownHeight;
    serving.pageDelayMs = 50;
    serving.chunks = {c.chunkMs, c.chunkMs};
    serving.pictures = {20, c.pictureMaxMs};
    serveLazyItem(sharedServer(), c.id, serving);

    QMap<QString, QByteArray> saved[2];
    for (const BatchCycle::Pace pace : {BatchCycle::Pace::Fast, BatchCycle::Pace::Standard}) {
        if (pace == BatchCycle::Pace::Standard && !c.standardToo)
            break;
        const int i = pace == BatchCycle::Pace::Fast;
        SCOPED_TRACE(i ? "fast" : "standard");
        // The standard pace's scroller a third of its real interval: quick
        // enough for a test, slow enough for the chunks to keep up.
        build([](ProgramCore::Options &options) { options.intervals.scrollerMs = 333; });
        core->setPace(pace, false);
        pending().append(S(u"SL-1|") + detailPageAddress(c.id));
        runUntilIdle();
        ASSERT_EQ(downloaded().count(), 1);
        const QString folder = DownloadedLine::parse(downloaded().at(0)).folder;
        saved[i] = descriptionOf(folder);
        QDir(folder).removeRecursively();
    }
    EXPECT_EQ(saved[1].size(), DescPictures);
    // The standard pace's jumps (at the tests' quick timer) may pass a chunk
    // by; where they do not, both paces save the same files and bytes.
    if (c.standardToo && saved[0].size() == DescPictures) {
        EXPECT_EQ(saved[1], saved[0]);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, SlowPages,
    ::testing::Values(SlowPage{"three_chunks_300ms_short_pictures", 601, 300, 3, 500, 120, true},
                      SlowPage{"three_chunks_300ms_tall_pictures", 602, 300, 3, 500, 1500, false},
                      SlowPage{"two_chunks_1s_short_pictures", 603, 1000, 2, 500, 120, false},
                      SlowPage{"one_chunk_2s_tall_pictures", 604, 2000, 1, 300, 1500, true},
                      SlowPage{"three_chunks_2s_short_pictures", 605, 2000, 3, 500, 120, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchTest, AFastPageWithARequestThatNeverEndsStillEndsWithEveryPicture)
{
    core->setPace(BatchCycle::Pace::Fast, false);
    LazyServing serving;
    serving.height = 6000;
    serving.mainCount = 2;
    serving.descCount = 6;
    serving.sections = 2;
    serving.chunks = {300, 300};
    serving.pictures = {20, 200};
    serving.longPoll = true;
    serveLazyItem(sharedServer(), 611, serving);
    pending().append(S(u"LP-1|") + detailPageAddress(611));
    runUntilIdle();
    sharedServer().releaseStalls();
    ASSERT_EQ(downloaded().count(), 1);
    EXPECT_EQ(descriptionOf(DownloadedLine::parse(downloaded().at(0)).folder).size(), 6);
    // Ended by the request limit, not cut off by the whole page's cap.
    for (const QString &line : logMessages(core->log()))
        EXPECT_FALSE(line.contains(S(u"页面在限定时间内未能稳定"))) << line.toStdString();
}

TEST_F(BatchTest, RequestsThePageCannotReportAsItsOwnHoldNoItem)
{
    // With no limit on requests or on the page, a request counted for the
    // wrong document would hold the item for ever.
    build([](ProgramCore::Options &options) {
        options.intervals.pages.requestLimitMs = 600000;
        options.intervals.fastMaxScrollMs = 600000;
    });
    core->setPace(BatchCycle::Pace::Fast, false);
    LazyServing serving{.height = 5000, .mainCount = 1, .descCount = 4, .sections = 2, .chunks = {300, 600},
                        .pictures = {20, 200}, .redirectPollMs = 1000, .strays = true};
    serveLazyItem(sharedServer(), 631, serving);
    // The second page arrives late: the first one's farewell goes on meanwhile.
    serving.pageDelayMs = 500;
    serveLazyItem(sharedServer(), 632, serving);
    pending().append(S(u"ST-1|") + detailPageAddress(631));
    pending().append(S(u"ST-2|") + detailPageAddress(632));
    runUntilIdle();
    ASSERT_EQ(downloaded().count(), 2);
    for (int k = 0; k < 2; ++k)
        EXPECT_EQ(descriptionOf(DownloadedLine::parse(downloaded().at(k)).folder).size(), 4);
}

TEST_F(BatchTest, AtTheFastPaceADeadPageCostsSecondsWhileASlowPageIsStillCollected)
{
    // The fast pace's own limits (15 s without an answer, 5 s without a
    // reply to a query; a fifth of them here) against a whole load time of a minute.
    build([](ProgramCore::Options &options) {
        options.intervals.pages.loadMs = 60000;
        options.intervals.pages.fastFirstAnswerMs = 3000;
        options.intervals.pages.fastQueryMs = 1000;
    });
    core->setPace(BatchCycle::Pace::Fast, false);
    FixtureServer::Response never = FixtureServer::page(plainPageHtml(S(u"从不应答"), S(u"<p>late</p>")));
    never.stall = true;
    sharedServer().route(S(u"detail.zorvane.com/offer/621.html"), never);
    const QString hung = servedScriptedItem(622, S(u"卡死"), S(u"<script>while (true) {}</script>"));
    DetailPage slowPage = servedItem(623, S(u"慢页面"), {});
    FixtureServer::Response slow = FixtureServer::page(detailPageHtml(slowPage));
    slow.delayMs = 1600; // the first byte after 1.6 s (8 s at the real limits), then the whole page
    sharedServer().route(S(u"detail.zorvane.com/offer/623.html"), slow);
    servedItem(624, S(u"之后一件"), {});
    for (const QString &line : QStringList{S(u"N-1|") + detailPageAddress(621), S(u"H-2|") + hung,
                                           S(u"S-3|") + detailPageAddress(623), S(u"G-4|") + detailPageAddress(624)})
        pending().append(line);

    runUntilIdle();
    sharedServer().releaseStalls();

    ASSERT_EQ(downloaded().count(), 2);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(0)).itemNo, S(u"S-3"));
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(1)).itemNo, S(u"G-4"));
    EXPECT_EQ(core->lists().AddUrlText(), detailPageAddress(621) + S(u"|N-1\r\n") + hung + S(u"|H-2"));
    const QStringList log = logMessages(core->log());
    EXPECT_TRUE(log.contains(S(u"N-1采集中:页面加载失败(无法连接或超时)_") + detailPageAddress(621)));
    EXPECT_TRUE(log.contains(S(u"H-2采集中:页面无响应,已放弃该页面_") + hung));
}
