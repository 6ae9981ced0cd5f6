#include "pictures.h"
#include "test_files.h"

#include "download/item_pictures.h"
#include "platform/files/image_headers.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

// What a file holds; pictures are made once the application exists.
enum class Content { Tall, Wide, Square, Webp, ErrorPage, Empty, CutShort, Text };

QByteArray bytesOf(Content content)
{
    switch (content) {
    case Content::Tall:
        return makePicture(80, 120);
    case Content::Wide:
        return makePicture(120, 40, "PNG");
    case Content::Square:
        return makePicture(60, 60, "BMP");
    case Content::Webp:
        return makePicture(30, 20, "WEBP");
    case Content::ErrorPage:
        return QByteArray("<html><body>404</body></html>");
    case Content::Empty:
        return QByteArray();
    case Content::CutShort:
        return makePicture(80, 120, "PNG").left(20);
    case Content::Text:
        break;
    }
    return QByteArray("x");
}

// A file under the item folder and what it holds.
struct SavedFile
{
    const char *path; // relative to the item folder
    Content content;
};

struct FolderCase
{
    const char *name;
    QList<SavedFile> files;
    QStringList subfolders; // made even when no file lies in them
    bool folderGone;
    QStringList expected; // name and note of each tile, in order
    QStringList problems; // "%1" stands for the item folder
};
ZORVANE_PRINT_AS_NAME(FolderCase)

constexpr Content Tall = Content::Tall;
constexpr Content Wide = Content::Wide;
constexpr Content Square = Content::Square;
const QStringList Both{q("主图"), q("描述图")};

class ItemPicturesFolders : public ::testing::TestWithParam<FolderCase>
{
protected:
    QTemporaryDir dir;
    ImageHeaders headers;
};

} // namespace

TEST_P(ItemPicturesFolders, ListsThePicturesInPageOrderAndSaysWhatIsMissing)
{
    const FolderCase &c = GetParam();
    const QString folder = dir.filePath(q("宝贝 A"));
    if (!c.folderGone) {
        for (const QString &sub : c.subfolders)
            ASSERT_TRUE(QDir().mkpath(QDir(folder).filePath(sub)));
        for (const SavedFile &file : c.files)
            writeBytes(QDir(folder).filePath(q(file.path)), bytesOf(file.content));
    }

    const ItemPictures item =
        readItemPictures(DownloadedLine::parse(q("A-1|宝贝 A|") + folder + q("|http://x/1.html")), headers);

    QStringList tiles;
    for (const ItemPicture &picture : item.pictures) {
        tiles << picture.name() + QLatin1Char(' ') + picture.note();
        EXPECT_EQ(picture.path.isEmpty(), picture.state == ItemPicture::State::Missing) << picture.name().toStdString();
    }
    EXPECT_EQ(tiles, c.expected);
    QStringList problems;
    for (const QString &problem : c.problems)
        problems << (problem.contains(QLatin1String("%1")) ? problem.arg(QDir::toNativeSeparators(folder)) : problem);
    EXPECT_EQ(item.problems, problems);
    EXPECT_EQ(item.line.itemNo, q("A-1"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ItemPicturesFolders,
    ::testing::Values(
        FolderCase{"MainBeforeDescription",
                   {{"描述图/描述图1.jpg", Tall}, {"主图/主图2.png", Wide}, {"主图/主图1.jpg", Square},
                    {"描述图/描述图2.bmp", Square}, {"宝贝基本信息.txt", Content::Text}},
                   Both,
                   false,
                   {q("主图1 60×60"), q("主图2 120×40"), q("描述图1 80×120"), q("描述图2 60×60")},
                   {}},
        FolderCase{"NumbersBeyondNineSortAsNumbers",
                   {{"主图/主图10.jpg", Tall}, {"主图/主图2.jpg", Tall}, {"主图/主图1.jpg", Tall},
                    {"主图/主图11.jpg", Tall}, {"主图/主图3.jpg", Tall}, {"主图/主图4.jpg", Tall},
                    {"主图/主图5.jpg", Tall}, {"主图/主图6.jpg", Tall}, {"主图/主图7.jpg", Tall},
                    {"主图/主图8.jpg", Tall}, {"主图/主图9.jpg", Tall}, {"描述图/描述图12.jpg", Wide},
                    {"描述图/描述图1.jpg", Wide}, {"描述图/描述图2.jpg", Wide}, {"描述图/描述图3.jpg", Wide},
                    {"描述图/描述图4.jpg", Wide}, {"描述图/描述图5.jpg", Wide}, {"描述图/描述图6.jpg", Wide},
                    {"描述图/描述图7.jpg", Wide}, {"描述图/描述图8.jpg", Wide}, {"描述图/描述图9.jpg", Wide},
                    {"描述图/描述图10.jpg", Wide}, {"描述图/描述图11.jpg", Wide}},
                   Both,
                   false,
                   {q("主图1 80×120"), q("主图2 80×120"), q("主图3 80×120"), q("主图4 80×120"),
                    q("主图5 80×120"), q("主图6 80×120"), q("主图7 80×120"), q("主图8 80×120"),
                    q("主图9 80×120"), q("主图10 80×120"), q("主图11 80×120"), q("描述图1 120×40"),
                    q("描述图2 120×40"), q("描述图3 120×40"), q("描述图4 120×40"), q("描述图5 120×40"),
                    q("描述图6 120×40"), q("描述图7 120×40"), q("描述图8 120×40"), q("描述图9 120×40"),
                    q("描述图10 120×40"), q("描述图11 120×40"), q("描述图12 120×40")},
                   {}},
        FolderCase{"GapsInTheMiddleAndAtTheStart",
                   {{"主图/主图1.jpg", Tall}, {"主图/主图3.jpg", Tall}, {"描述图/描述图3.jpg", Wide},
                    {"描述图/描述图4.jpg", Wide}, {"描述图/描述图7.jpg", Wide}},
                   Both,
                   false,
                   {q("主图1 80×120"), q("主图2 缺失"), q("主图3 80×120"), q("描述图1–2 缺失"),
                    q("描述图3 120×40"), q("描述图4 120×40"), q("描述图5–6 缺失"), q("描述图7 120×40")},
                   {}},
        FolderCase{"FolderGone", {}, {}, true, {}, {q("宝贝目录不存在:%1")}},
        FolderCase{"DescriptionFolderGone",
                   {{"主图/主图1.jpg", Tall}},
                   {q("主图")},
                   false,
                   {q("主图1 80×120")},
                   {q("描述图目录不存在")}},
        FolderCase{"FilesThatAreNoPicture",
                   {{"主图/主图1.jpg", Content::ErrorPage}, {"主图/主图2.jpg", Content::Empty}, {"主图/主图3.jpg", Tall},
                    {"描述图/描述图1.png", Content::CutShort}},
                   Both,
                   false,
                   {q("主图1 无法读取"), q("主图2 无法读取"), q("主图3 80×120"), q("描述图1 无法读取")},
                   {}},
        // The extension is the address's last four characters as they stand;
        // the content tells the format.
        FolderCase{"ExtensionsAsSavedAndOtherFilesLeftOut",
                   {{"主图/主图1.PNG", Wide}, {"主图/主图2.jpg", Wide}, {"主图/主图32800", Tall},
                    {"主图/主图4webp", Content::Webp}, {"主图/主图.jpg", Tall},
                    {"主图/主图01.jpg", Tall}, {"主图/主图5.jpeg", Tall}, {"主图/说明.txt", Content::Text},
                    {"描述图/.下载中1", Tall}, {"描述图/描述图1.jpg", Square}},
                   Both,
                   false,
                   {q("主图1 120×40"), q("主图2 120×40"), q("主图3 80×120"), q("主图4 30×20"),
                    q("描述图1 60×60")},
                   {}}),
    [](const ::testing::TestParamInfo<FolderCase> &info) { return std::string(info.param.name); });

TEST(ItemPictures, ALineWithoutAFolderSaysSo)
{
    ImageHeaders headers;
    const ItemPictures item = readItemPictures(DownloadedLine::parse(q("A-1|宝贝 A")), headers);
    EXPECT_TRUE(item.pictures.isEmpty());
    EXPECT_EQ(item.problems, QStringList{q("已下载列表中没有记录该宝贝的目录")});
}

TEST(ItemPictures, CountsPicturesNotGaps)
{
    QTemporaryDir dir;
    const SavedFile files[] = {
        {"主图/主图1.jpg", Tall}, {"主图/主图4.jpg", Content::Text}, {"描述图/描述图2.jpg", Tall}};
    for (const SavedFile &file : files) {
        QDir().mkpath(QFileInfo(dir.filePath(q(file.path))).path());
        writeBytes(dir.filePath(q(file.path)), bytesOf(file.content));
    }
    ImageHeaders headers;
    const ItemPictures item = readItemPictures(DownloadedLine{q("A"), q("T"), dir.path(), q("u")}, headers);
    EXPECT_EQ(item.count(ItemPicture::Kind::Main), 2); // the unreadable one is there
    EXPECT_EQ(item.count(ItemPicture::Kind::Desc), 1);
}

TEST(ItemPictures, NumbersOfSavedNames)
{
    const struct
    {
        const char *file;
        std::optional<int> number;
    } cases[] = {
        {"主图1.jpg", 1},     {"主图12.JPG", 12},  {"主图1webp", 1},   {"主图12800", 1},
        {"主图102800", 10},   {"主图7x=12", 7},    {"主图3a.b", 3},    {"主图01.jpg", std::nullopt},
        {"主图.jpg", std::nullopt}, {"主图1.jpeg", std::nullopt}, {"描述图1.jpg", std::nullopt},
        {"主图99999999999.jpg", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pictureNumber(q(c.file), q("主图")), c.number) << c.file;
}
