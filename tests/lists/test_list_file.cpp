#include "test_files.h"
#include "collection/status_log.h"
#include "file_faults.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/files/text_file.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {



void fill(ItemList &list, const QStringList &lines)
{
    for (const QString &line : lines)
        list.append(line);
}

// A store, its log and its file in a fresh folder.
struct Lists
{
    QTemporaryDir dir;
    ListStore store;
    StatusLog log;
    ListFile file{store, log, dir.filePath(QStringLiteral("listdata.txt"))};

    QString path() const { return file.path(); }
};

} // namespace

TEST(ListStore, StartsWithTheDesignText)
{
    ListStore store;
    const QStringList lines = store.AddUrlText().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.at(0), QStringLiteral("宝贝url|自定义宝贝名（可选)"));
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("http://detail.zorvane.com/offer/")));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral(".html|货1")));
    EXPECT_TRUE(lines.at(2).endsWith(QStringLiteral(".html|货2")));
}

struct RoundTrip
{
    const char *name;
    QString box;
    QStringList pending;
    QStringList downloaded;
    QString file;     // listdata.txt as written
    QString boxAfter; // the box after loading it back
};

class ListRoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ListRoundTripTest, SavesAndLoadsBack)
{
    const RoundTrip &c = GetParam();
    Lists saved;
    saved.store.setAddUrlText(c.box);
    fill(saved.store.readyDownList(), c.pending);
    fill(saved.store.AlreadyDownedList(), c.downloaded);
    ASSERT_TRUE(saved.file.SaveLists());
    EXPECT_EQ(readBytes(saved.path()), encodeLocalText(c.file));

    ListStore loaded;
    StatusLog log;
    ListFile file(loaded, log, saved.path());
    ASSERT_TRUE(file.LoadLists());
    EXPECT_EQ(loaded.AddUrlText(), c.boxAfter);
    EXPECT_EQ(loaded.readyDownList().entries(), c.pending);
    EXPECT_EQ(loaded.AlreadyDownedList().entries(), c.downloaded);
    EXPECT_TRUE(log.text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListRoundTripTest,
    ::testing::Values(
        RoundTrip{"two_lines", QStringLiteral("a\r\nb"), {QStringLiteral("1|u1")}, {QStringLiteral("2|T|/o/2|u2")},
                  QStringLiteral("<AddUrlText>\r\na\r\nb\r\n<readyDownList>\r\n1|u1\r\n<AlreadyDownedList>\r\n2|T|/o/2|u2\r\n"),
                  QStringLiteral("a\r\nb")},
        RoundTrip{"trailing_line_break", QStringLiteral("a\r\n"), {}, {},
                  QStringLiteral("<AddUrlText>\r\na\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"), QStringLiteral("a\r\n")},
        RoundTrip{"leading_empty_lines_dropped", QStringLiteral("\r\n\r\na\r\n\r\nb"), {}, {},
                  QStringLiteral("<AddUrlText>\r\n\r\n\r\na\r\n\r\nb\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"),
                  QStringLiteral("a\r\n\r\nb")},
        RoundTrip{"empty_box", QString(), {}, {}, QStringLiteral("<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"),
                  QString()},
        RoundTrip{"lone_line_feeds_written_as_crlf", QStringLiteral("a\nb\rc"), {}, {},
                  QStringLiteral("<AddUrlText>\r\na\r\nb\r\nc\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"),
                  QStringLiteral("a\r\nb\r\nc")},
        RoundTrip{"commas_and_quotes", QStringLiteral("\"u,1\"|x"), {QStringLiteral("1|http://d/o?a=1,2&b=\"q\"")},
                  {QStringLiteral("2|A,B \"C\"|/o/A,B|http://d/2")},
                  QStringLiteral("<AddUrlText>\r\n\"u,1\"|x\r\n<readyDownList>\r\n1|http://d/o?a=1,2&b=\"q\"\r\n"
                                 "<AlreadyDownedList>\r\n2|A,B \"C\"|/o/A,B|http://d/2\r\n"),
                  QStringLiteral("\"u,1\"|x")},
        RoundTrip{"empty_entries", QStringLiteral("x"), {QString(), QStringLiteral("p"), QString()}, {QString(), QStringLiteral("d"), QString()},
                  QStringLiteral("<AddUrlText>\r\nx\r\n<readyDownList>\r\n\r\np\r\n\r\n<AlreadyDownedList>\r\n\r\nd\r\n\r\n"),
                  QStringLiteral("x")},
        RoundTrip{"chinese_and_emoji", QStringLiteral("http://d/1.html|货1"), {QStringLiteral("货1|http://d/1.html")},
                  {QStringLiteral("货2|连衣裙😀€|/图片/连衣裙😀€|http://d/2.html")},
                  QStringLiteral("<AddUrlText>\r\nhttp://d/1.html|货1\r\n<readyDownList>\r\n货1|http://d/1.html\r\n"
                                 "<AlreadyDownedList>\r\n货2|连衣裙😀€|/图片/连衣裙😀€|http://d/2.html\r\n"),
                  QStringLiteral("http://d/1.html|货1")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListFile, ALineThatReadsAsAHeaderIsKeptAsTextThroughEverySave)
{
    // Typed into the box, or queued from there: read back as a header it
    // would split the file at every save.
    Lists saved;
    saved.store.setAddUrlText(QStringLiteral("x\r\n<readyDownList>\r\ny"));
    fill(saved.store.readyDownList(), {QStringLiteral("<AlreadyDownedList>"), QStringLiteral("p")});
    fill(saved.store.AlreadyDownedList(), {QStringLiteral("<AddUrlText>")});
    for (int save = 1; save <= 2; ++save) {
        SCOPED_TRACE(save);
        ASSERT_TRUE(saved.file.SaveLists());
        ListStore loaded;
        StatusLog log;
        ListFile(loaded, log, saved.path()).LoadLists();
        EXPECT_EQ(loaded.AddUrlText(), QStringLiteral("x\r\n <readyDownList>\r\ny"));
        EXPECT_EQ(loaded.readyDownList().entries(), (QStringList{QStringLiteral(" <AlreadyDownedList>"), QStringLiteral("p")}));
        EXPECT_EQ(loaded.AlreadyDownedList().entries(), QStringList{QStringLiteral(" <AddUrlText>")});
        saved.store.setAddUrlText(loaded.AddUrlText());
        saved.store.readyDownList().clear();
        fill(saved.store.readyDownList(), loaded.readyDownList().entries());
    }
}

struct LoadCase
{
    const char *name;
    QByteArray file;
    bool boxLoaded; // false: the box keeps its design text
    QString box;
    QStringList pending;
    QStringList downloaded;
};

class ListLoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(ListLoadTest, ReadsWhatTheFileHolds)
{
    const LoadCase &c = GetParam();
    Lists lists;
    writeBytes(lists.path(), c.file);
    EXPECT_TRUE(lists.file.LoadLists());
    EXPECT_EQ(lists.store.AddUrlText(), c.boxLoaded ? c.box : ListStore::designText());
    EXPECT_EQ(lists.store.readyDownList().entries(), c.pending);
    EXPECT_EQ(lists.store.AlreadyDownedList().entries(), c.downloaded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListLoadTest,
    ::testing::Values(
        LoadCase{"begins_with_pending", "<readyDownList>\r\np\r\n<AlreadyDownedList>\r\nd\r\n", false, {}, {QStringLiteral("p")},
                 {QStringLiteral("d")}},
        LoadCase{"begins_with_downloaded", "<AlreadyDownedList>\r\nd\r\n<readyDownList>\r\n<AddUrlText>\r\n", false, {}, {},
                 {QStringLiteral("d"), QStringLiteral("<readyDownList>"), QStringLiteral("<AddUrlText>")}},
        LoadCase{"first_line_not_a_tag", "\r\n<AddUrlText>\r\na\r\n<readyDownList>\r\np\r\n", false, {}, {}, {}},
        LoadCase{"tags_match_case", "<addurltext>\r\na\r\n<readyDownList>\r\np\r\n", false, {}, {}, {}},
        LoadCase{"ends_inside_the_box", "<AddUrlText>\r\na\r\nb\r\n", false, {}, {}, {}},
        LoadCase{"ends_inside_pending", "<AddUrlText>\r\na\r\n<readyDownList>\r\np\r\nq", true, QStringLiteral("a"),
                 {QStringLiteral("p"), QStringLiteral("q")}, {}},
        LoadCase{"ends_after_pending_tag", "<AddUrlText>\r\n<readyDownList>\r\n", true, QString(), {}, {}},
        LoadCase{"empty_file", "", false, {}, {}, {}},
        LoadCase{"lf_line_ends", "<AddUrlText>\na\n<readyDownList>\np\n<AlreadyDownedList>\nd\n", true, QStringLiteral("a"),
                 {QStringLiteral("p")}, {QStringLiteral("d")}},
        // "宝贝" in the box, "女装|货号" pending and "连衣裙" as a title, in GBK as the Windows program writes them.
        LoadCase{"gbk_from_windows",
                 "<AddUrlText>\r\nhttp://d/1.html|\xB1\xA6\xB1\xB4\r\n"
                 "<readyDownList>\r\n\xC5\xAE\xD7\xB0|\xBB\xF5\xBA\xC5\r\n"
                 "<AlreadyDownedList>\r\nA1|\xC1\xAC\xD2\xC2\xC8\xB9|D:\\out\\\xC1\xAC\xD2\xC2\xC8\xB9|http://d/1.html\r\n",
                 true, QStringLiteral("http://d/1.html|宝贝"), {QStringLiteral("女装|货号")},
                 {QStringLiteral("A1|连衣裙|D:\\out\\连衣裙|http://d/1.html")}},
        // The same saved by a text editor as UTF-8 with a byte-order mark.
        LoadCase{"utf8_with_bom",
                 "\xEF\xBB\xBF<AddUrlText>\r\nhttp://d/1.html|\xE5\xAE\x9D\xE8\xB4\x9D\r\n<readyDownList>\r\n"
                 "\xE5\xA5\xB3\xE8\xA3\x85|u\r\n<AlreadyDownedList>\r\n",
                 true, QStringLiteral("http://d/1.html|宝贝"), {QStringLiteral("女装|u")}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ListFile, GbkFileIsWrittenBackByteForByte)
{
    const QByteArray windows = "<AddUrlText>\r\n\xB1\xA6\xB1\xB4\r\n<readyDownList>\r\n\xC5\xAE\xD7\xB0|u\r\n"
                               "<AlreadyDownedList>\r\nA1|\xC1\xAC\xD2\xC2\xC8\xB9|D:\\o|u\r\n";
    Lists lists;
    writeBytes(lists.path(), windows);
    ASSERT_TRUE(lists.file.LoadLists());
    ASSERT_TRUE(lists.file.SaveLists());
    EXPECT_EQ(readBytes(lists.path()), windows);
}

TEST(ListFile, LoadingAddsToTheListsAndMissingFileFails)
{
    Lists lists;
    EXPECT_FALSE(lists.file.LoadLists());
    EXPECT_EQ(lists.store.AddUrlText(), ListStore::designText());

    lists.store.readyDownList().append(QStringLiteral("old"));
    writeBytes(lists.path(), "<readyDownList>\r\nnew\r\n<AlreadyDownedList>\r\n");
    ASSERT_TRUE(lists.file.LoadLists());
    EXPECT_EQ(lists.store.readyDownList().entries(), (QStringList{QStringLiteral("old"), QStringLiteral("new")}));
}

TEST(ListFile, FailedSaveIsLoggedAndKeepsTheOldFile)
{
    Lists lists;
    lists.store.setAddUrlText(QStringLiteral("a"));
    ASSERT_TRUE(lists.file.SaveLists());
    const QByteArray before = readBytes(lists.path());

    QSignalSpy logged(&lists.log, &StatusLog::lineAdded);
    for (int i = 0; i < 100; ++i)
        lists.store.AlreadyDownedList().append(QStringLiteral("%1|title|/out/%1|http://d/%1.html").arg(i));
    {
        FileSizeLimit full(before.size() + 10);
        EXPECT_FALSE(lists.file.SaveLists());
    }
    ASSERT_EQ(logged.count(), 1);
    const QString line = logged.at(0).at(0).toString();
    const QString prefix = QStringLiteral("保存列表失败,原因:");
    ASSERT_TRUE(line.contains(prefix)) << line.toStdString();
    EXPECT_GT(line.size() - line.indexOf(prefix), prefix.size()) << "the reason follows";
    EXPECT_EQ(readBytes(lists.path()), before);
    EXPECT_EQ(QDir(lists.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("listdata.txt")});

    // A folder that is a regular file: the save cannot even start.
    ListFile underFile(lists.store, lists.log, lists.path() + QStringLiteral("/listdata.txt"));
    EXPECT_FALSE(underFile.SaveLists());
    EXPECT_EQ(logged.count(), 2);
    EXPECT_TRUE(logged.at(1).at(0).toString().contains(prefix));
    EXPECT_EQ(readBytes(lists.path()), before);
}

TEST(ListFile, AFileThatDidNotLoadWholeIsCopiedAsideBeforeItIsOverwritten)
{
    const struct
    {
        const char *name;
        QByteArray file;
        bool copied;
    } cases[] = {
        {"first line not a tag", "junk\r\n<AddUrlText>\r\na\r\n", true},
        {"invalid GB18030 bytes", "<AddUrlText>\r\n\x81\x20|x\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n", true},
        {"ends before the downloaded list", "<AddUrlText>\r\na\r\n<readyDownList>\r\np\r\n", true},
        {"whole GBK file", "<AddUrlText>\r\n\xB1\xA6\r\n<readyDownList>\r\n<AlreadyDownedList>\r\nd\r\n", false},
        {"whole UTF-8 file", "\xEF\xBB\xBF<AddUrlText>\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n", false},
        {"empty file", "", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Lists lists;
        writeBytes(lists.path(), c.file);
        ASSERT_TRUE(lists.file.LoadLists());
        ASSERT_TRUE(lists.file.SaveLists());
        ASSERT_TRUE(lists.file.SaveLists());
        const QStringList copies = QDir(lists.dir.path()).entryList({QStringLiteral("listdata-*.txt")}, QDir::Files);
        ASSERT_EQ(copies.size(), c.copied ? 1 : 0) << "one copy, before the first save only";
        if (!c.copied)
            continue;
        EXPECT_EQ(readBytes(QDir(lists.dir.path()).filePath(copies.first())), c.file);
        EXPECT_TRUE(lists.log.text().contains(QStringLiteral("未能完整读取,保存前已备份为:")));
    }
}

TEST(ListFile, TheItemsUnderWayAreWrittenFirstInThePendingSectionInTheirOrder)
{
    Lists lists;
    lists.store.setAddUrlText(QString());
    lists.store.readyDownList().append(QStringLiteral("B|b"));
    QStringList underWay{QStringLiteral("A|a|[上次软件退出未采集完成]"), QStringLiteral("Z|z|[上次软件退出未采集完成]")};
    lists.file.setUnderWayLines([&] { return underWay; });
    ASSERT_TRUE(lists.file.SaveLists());
    EXPECT_EQ(readLocalTextFile(lists.path()).value(),
              QStringLiteral("<AddUrlText>\r\n\r\n<readyDownList>\r\nA|a|[上次软件退出未采集完成]\r\n"
                             "Z|z|[上次软件退出未采集完成]\r\nB|b\r\n<AlreadyDownedList>\r\n"));
    EXPECT_EQ(lists.store.readyDownList().entries(), QStringList{QStringLiteral("B|b")});
    underWay.clear();
    ASSERT_TRUE(lists.file.SaveLists());
    EXPECT_EQ(readLocalTextFile(lists.path()).value(),
              QStringLiteral("<AddUrlText>\r\n\r\n<readyDownList>\r\nB|b\r\n<AlreadyDownedList>\r\n"));
}
