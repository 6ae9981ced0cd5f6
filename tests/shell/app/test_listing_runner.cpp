// 上架图 through the runner: right after each item it collects, over the
// downloaded list with --listing-pictures and its exit code, and a run
// killed halfway.
#include "batch_fixture.h"
#include "pictures.h"
#include "qt_printers.h"
#include "runner_process.h"
#include "test_files.h"

#include "platform/files/text_file.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class ListingRunnerTest : public ::testing::Test
{
protected:
    ListingRunnerTest() { config(QString()); }

    void config(const QString &more)
    {
        writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")),
                           S(u"[config]\r\nPicOutPutPath=") + folder.path() + S(u"\r\n") + more);
    }
    void lists(const QString &pending, const QStringList &downloaded)
    {
        writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")),
                           S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n") + pending + S(u"<AlreadyDownedList>\r\n")
                               + downloaded.join(S(u"\r\n")) + S(u"\r\n"));
    }
    QStringList run(const QStringList &arguments) const
    {
        return QStringList{QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"),
                           QStringLiteral("127.0.0.1")}
            + arguments;
    }
    // An item folder as the download leaves it, with tall description pictures.
    QString item(int n, int descHeight)
    {
        const QString path = QDir(folder.path()).filePath(S(u"宝贝%1").arg(n));
        QDir().mkpath(path + S(u"/主图"));
        QDir().mkpath(path + S(u"/描述图"));
        static QMap<int, QByteArray> drawn; // a tall picture takes a while to draw
        if (!drawn.contains(descHeight))
            drawn.insert(descHeight, makePicture(790, descHeight, "PNG"));
        writeBytes(path + S(u"/主图/主图1.jpg"), makePicture(1000, 800));
        for (int k = 1; k <= 2; ++k)
            writeBytes(path + S(u"/描述图/描述图%1.png").arg(k), drawn.value(descHeight));
        return path;
    }
    static QString line(int n, const QString &path)
    {
        return S(u"L-%1|宝贝%1|%2|http://detail.zorvane.com/offer/%1.html").arg(n).arg(path);
    }
    static QStringList files(const QString &folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    static QStringList hidden(const QString &item)
    {
        return QDir(item).entryList({S(u".上架图-*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(ListingRunnerTest, AfterEachCollectedItemTheRunnerMakesItsListingPicturesBeforeItEnds)
{
    config(S(u"ListingAfterCollect=True\r\n"));
    servedItem(771, S(u"上架宝贝"), {});
    lists(S(u"A-771|") + detailPageAddress(771) + S(u"\r\n"), {});
    RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), run({QStringLiteral("--fast")}));
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 0) << runner.output.toStdString();
    const QString listing = QDir(folder.path()).filePath(S(u"上架宝贝/上架图"));
    const qsizetype collected = runner.output.indexOf(S(u"A-771采集中:采集成功!"));
    const qsizetype made = runner.output.indexOf(S(u"上架图已做好<A-771 上架宝贝>:主图2张、描述图2张,在<") + listing + S(u">"));
    ASSERT_GE(collected, 0) << runner.output.toStdString();
    EXPECT_GT(made, collected) << runner.output.toStdString();
    EXPECT_EQ(files(listing), (QStringList{S(u"主图1.jpg"), S(u"主图2.jpg"), S(u"描述图1.jpg"), S(u"描述图2.jpg")}));
}

TEST_F(ListingRunnerTest, ListingPicturesEndsWithItsOwnCodeWhenAnItemFails)
{
    const QString good = item(1, 1000);
    lists({}, {line(1, good), line(2, QDir(folder.path()).filePath(S(u"已删除")))});
    {
        RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), run({QStringLiteral("--listing-pictures")}));
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 11) << runner.output.toStdString();
        EXPECT_TRUE(runner.output.contains(S(u"上架图未能做出<L-2 宝贝2>,原因:宝贝目录不存在:") + folder.path() + S(u"/已删除")));
        EXPECT_TRUE(runner.output.contains(S(u"上架图完成:1个宝贝已做好,1个未能做出")));
        EXPECT_EQ(files(good + S(u"/上架图")), (QStringList{S(u"主图1.jpg"), S(u"描述图1.jpg"), S(u"描述图2.jpg")}));
    }
    lists({}, {line(1, good)});
    RunnerProcess again(QStringLiteral(ZORVANE_BATCH_EXE), run({QStringLiteral("--listing-pictures")}));
    ASSERT_TRUE(again.waitForExit());
    EXPECT_EQ(again.process.exitCode(), 0) << again.output.toStdString();
}

TEST_F(ListingRunnerTest, AKilledRunLeavesNoHalfListingAndTheNextRunTidiesUp)
{
    QStringList items, downloaded;
    for (int n = 1; n <= 3; ++n) {
        items << item(n, 24000);
        downloaded << line(n, items.last());
    }
    lists({}, downloaded);
    const auto begun = [&] {
        for (const QString &path : std::as_const(items)) {
            for (const QString &folder : hidden(path)) {
                if (!files(QDir(path).filePath(folder)).isEmpty())
                    return true;
            }
        }
        return false;
    };
    QMap<QString, QStringList> afterKill;
    {
        RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), run({QStringLiteral("--listing-pictures")}));
        ASSERT_TRUE(waitUntil(begun, 120000)) << runner.output.toStdString();
        ::kill(pid_t(runner.process.processId()), SIGKILL);
        ASSERT_TRUE(runner.waitForExit());
        int halfMade = 0;
        for (const QString &path : std::as_const(items)) {
            halfMade += int(hidden(path).size());
            afterKill.insert(path, files(path + S(u"/上架图")));
        }
        EXPECT_GE(halfMade, 1) << "killed halfway through an item";
    }
    RunnerProcess again(QStringLiteral(ZORVANE_BATCH_EXE), run({QStringLiteral("--listing-pictures")}));
    ASSERT_TRUE(again.waitForExit());
    EXPECT_EQ(again.process.exitCode(), 0) << again.output.toStdString();
    for (const QString &path : std::as_const(items)) {
        SCOPED_TRACE(path.toStdString());
        const QStringList made = files(path + S(u"/上架图"));
        EXPECT_EQ(made.size(), 1 + 2 * 16) << "主图1 and 16 slices of each description";
        EXPECT_TRUE(afterKill.value(path).isEmpty() || afterKill.value(path) == made)
            << "a 上架图 the kill left is whole";
        EXPECT_EQ(hidden(path), QStringList());
    }
}
