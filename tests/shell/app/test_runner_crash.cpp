// A runner killed with SIGKILL at any moment of an item, then run again:
// one folder per item under the name one uninterrupted run gives it, no
// other folder, and every item in exactly one list. Moments the test cannot
// catch from outside (between two file operations) are set up as the disk
// stands after a kill there.
#include "runner_process.h"
#include "log_text.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"
#include "test_app.h"

#include "lists/item_lines.h"
#include "platform/files/text_file.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>

namespace {

enum class Moment {
    FirstPicture, // the folder staged, its first picture on its way
    MidPictures,  // the first main picture on disk, the second on its way
    AfterInfoFile, // every file written, not renamed yet
    AfterRename,   // renamed, the lists not saved yet
};

struct Kill
{
    const char *name;
    Moment moment;
    int collectors;
};
ZORVANE_PRINT_AS_NAME(Kill)

class KilledRunner : public ::testing::TestWithParam<Kill>
{
protected:
    KilledRunner()
    {
        out = QDir(folder.path()).filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")),
                           QStringLiteral("[config]\r\nPicOutPutPath=") + out + QStringLiteral("\r\n"));
    }
    QString listFile() const { return QDir(folder.path()).filePath(QStringLiteral("listdata.txt")); }
    QString listData() const { return readLocalTextFile(listFile()).value_or(QString()); }
    QStringList arguments() const
    {
        return {QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"), QStringLiteral("127.0.0.1"),
                QStringLiteral("--fast"), QStringLiteral("--collectors"), QString::number(GetParam().collectors)};
    }
    // Everything in the save folder, hidden entries too.
    QStringList saved() const
    {
        return QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir folder;
    QString out;
};

} // namespace

TEST_P(KilledRunner, ARestartLeavesOneFolderPerItemAndNothingElse)
{
    const Kill &c = GetParam();
    FixtureServer &server = sharedServer();
    const int base = 800 + int(c.moment) * 10 + c.collectors;
    const QString prefix = QStringLiteral("crash%1-").arg(base);
    // Two items of one title: the first is the one cut short.
    QStringList lines;
    for (int k = 0; k < 2; ++k) {
        DetailPage item;
        item.title = S(u"同名宝贝");
        item.mainImages = {imageAddress(server, prefix + QStringLiteral("%1-m1.jpg").arg(k)),
                           imageAddress(server, prefix + QStringLiteral("%1-m2.jpg").arg(k))};
        item.descImages = {imageAddress(server, prefix + QStringLiteral("%1-d1.jpg").arg(k))};
        servePictures(server, item.mainImages + item.descImages, 800, 800);
        servePage(server, detailPageAddress(base * 10 + k), detailPageHtml(item));
        lines << QStringLiteral("C-%1|%2").arg(k).arg(detailPageAddress(base * 10 + k));
    }
    const QString stalled = imageAddress(server, prefix + (c.moment == Moment::FirstPicture ? S(u"0-m1.jpg") : S(u"0-m2.jpg")));
    const QString before = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n") + lines.join(S(u"\r\n")) + S(u"\r\n<AlreadyDownedList>\r\n");
    writeLocalTextFile(listFile(), before);

    if (c.moment == Moment::FirstPicture || c.moment == Moment::MidPictures) {
        FixtureServer::Response held = FixtureServer::bytes(makePicture(800, 800), "image/jpeg");
        held.stall = true;
        server.route(QUrl(stalled).host() + QUrl(stalled).path(), held); // as servePictures routes it
        RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), arguments());
        // Its folder staged, the picture on its way.
        ASSERT_TRUE(waitUntil([&] {
            return server.hits(QUrl(stalled).path()) > 0 && runner.output.contains(S(u"C-0采集中:开始下载图片_"));
        }, 60000)) << runner.output.toStdString();
        ::kill(pid_t(runner.process.processId()), SIGKILL);
        ASSERT_TRUE(runner.waitForExit());
        server.releaseStalls();
        servePictures(server, {stalled}, 800, 800);
        EXPECT_FALSE(saved().contains(S(u"同名宝贝"))) << "a half item never stands under an item's name";
        EXPECT_EQ(saved().filter(S(u".下载中-")).size(), 1);
    } else {
        // A whole run, then the disk as a kill would have left it: the first
        // item written, its line not yet saved (it is still on top, taken).
        {
            RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), arguments());
            ASSERT_TRUE(runner.waitForExit());
            ASSERT_EQ(runner.process.exitCode(), 0) << runner.output.toStdString();
        }
        const QString data = listData();
        const QString downloaded = data.section(S(u"<AlreadyDownedList>\r\n"), 1);
        QStringList kept;
        for (const QString &line : downloaded.split(S(u"\r\n"), Qt::SkipEmptyParts)) {
            if (DownloadedLine::parse(line).itemNo != u"C-0")
                kept << line + S(u"\r\n");
        }
        ASSERT_EQ(kept.size(), 1);
        writeLocalTextFile(listFile(), S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n") + lines.at(0) + u'|' + InterruptedMarker
                                           + S(u"\r\n<AlreadyDownedList>\r\n") + kept.join(QString()));
        if (c.moment == Moment::AfterInfoFile) {
            // Under its staging name, written by a process that is gone.
            ASSERT_TRUE(QDir(out).rename(S(u"同名宝贝"), S(u".下载中-4194303-1")));
        }
    }

    RunnerProcess again(QStringLiteral(ZORVANE_BATCH_EXE), arguments());
    ASSERT_TRUE(again.waitForExit());
    EXPECT_EQ(again.process.exitCode(), 0) << again.output.toStdString();
    EXPECT_EQ(saved(), (QStringList{S(u"同名宝贝"), S(u"同名宝贝1")}));
    const QString data = listData();
    EXPECT_TRUE(data.startsWith(S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"))) << data.toStdString();
    QStringList folders;
    for (const QString &line : data.section(S(u"<AlreadyDownedList>\r\n"), 1).split(S(u"\r\n"), Qt::SkipEmptyParts))
        folders << DownloadedLine::parse(line).itemNo + u'>' + QDir(out).relativeFilePath(DownloadedLine::parse(line).folder);
    folders.sort();
    EXPECT_EQ(folders, (QStringList{S(u"C-0>同名宝贝"), S(u"C-1>同名宝贝1")}));
    for (const QString &name : {S(u"同名宝贝"), S(u"同名宝贝1")}) {
        const QDir item(QDir(out).filePath(name));
        EXPECT_EQ(item.entryList(QDir::Files | QDir::Hidden, QDir::Name), QStringList{S(u"宝贝基本信息.txt")}) << name.toStdString();
        EXPECT_EQ(QDir(item.filePath(S(u"主图"))).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                  (QStringList{S(u"主图1.jpg"), S(u"主图2.jpg")}));
        EXPECT_EQ(QDir(item.filePath(S(u"描述图"))).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                  QStringList{S(u"描述图1.jpg")});
    }
}

INSTANTIATE_TEST_SUITE_P(Moments, KilledRunner,
                         ::testing::Values(Kill{"first_picture_1", Moment::FirstPicture, 1},
                                           Kill{"first_picture_2", Moment::FirstPicture, 2},
                                           Kill{"mid_pictures_2", Moment::MidPictures, 2},
                                           Kill{"after_info_file_1", Moment::AfterInfoFile, 1},
                                           Kill{"after_rename_2", Moment::AfterRename, 2}),
                         [](const auto &info) { return std::string(info.param.name); });
