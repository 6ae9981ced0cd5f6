#include "item_folders.h"
#include "lists/export/export_items.h"
#include "lists/item_list.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

void removeFile(const QString &path) { ASSERT_TRUE(QFile::remove(path)) << path.toStdString(); }

struct ReadCase
{
    const char *name;
    FolderPlan plan;
    // Changes the folder (or the list line) after it was made as the download makes it.
    std::function<void(const QString &folder, DownloadedLine &line)> alter;
    bool folderExists;
    std::optional<int> mainCount;
    std::optional<int> descCount;
    QString firstMain; // relative to the item folder
    bool hasAttributes;
    QStringList notes;
};
ZORVANE_PRINT_AS_NAME(ReadCase)

class ReadExportItem : public ::testing::TestWithParam<ReadCase> {};

const QList<AttributePair> Attributes = {{q("颜色"), q("红")}, {q("尺码"), q("M")}};

FolderPlan plan(bool folder = true, bool infoFile = true)
{
    FolderPlan s{q("A-1"), q("连衣裙"), Attributes};
    s.folder = folder;
    s.infoFile = infoFile;
    return s;
}

} // namespace

TEST_P(ReadExportItem, ReadsTheFolderAndSaysWhatIsMissing)
{
    const ReadCase &c = GetParam();
    QTemporaryDir output;
    DownloadedLine line = makeItemFolder(output.path(), c.plan);
    if (c.alter)
        c.alter(line.folder, line);

    const ExportItem item = readExportItem(line);
    EXPECT_EQ(item.folderExists, c.folderExists);
    EXPECT_EQ(item.mainCount, c.mainCount);
    EXPECT_EQ(item.descCount, c.descCount);
    EXPECT_EQ(item.firstMainPicture, c.firstMain.isEmpty() ? QString() : line.folder + QLatin1Char('/') + c.firstMain);
    EXPECT_EQ(item.attributes, c.hasAttributes ? Attributes : QList<AttributePair>());
    EXPECT_EQ(item.notes, c.notes);
    // The list's fields stand whatever the folder holds.
    EXPECT_EQ(item.line.itemNo, line.itemNo);
    EXPECT_EQ(item.line.address, line.address);
    EXPECT_EQ(item.line.folder, line.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadExportItem,
    ::testing::Values(
        ReadCase{"complete", plan(), {}, true, 2, 3, q("主图/主图1.jpg"), true, {}},
        ReadCase{"folder_gone", plan(false), {}, false, std::nullopt, std::nullopt, {}, false, {q("目录不存在")}},
        ReadCase{"no_folder_in_line", plan(), [](const QString &, DownloadedLine &line) { line.folder.clear(); },
                 false, std::nullopt, std::nullopt, {}, false, {q("目录不存在")}},
        ReadCase{"info_file_gone", plan(true, false), {}, true, 2, 3, q("主图/主图1.jpg"), false,
                 {q("宝贝基本信息.txt不存在")}},
        ReadCase{"info_file_of_other_text",
                 plan(),
                 [](const QString &folder, DownloadedLine &) {
                     writeBytes(folder + q("/宝贝基本信息.txt"), QByteArray("colour:red\r\n"));
                 },
                 true, 2, 3, q("主图/主图1.jpg"), false, {q("宝贝基本信息.txt内容无法识别")}},
        ReadCase{"main_folder_gone",
                 plan(),
                 [](const QString &folder, DownloadedLine &) { QDir(folder + q("/主图")).removeRecursively(); },
                 true, std::nullopt, 3, {}, true, {q("主图目录不存在")}},
        ReadCase{"first_main_picture_failed",
                 plan(),
                 [](const QString &folder, DownloadedLine &) {
                     removeFile(folder + q("/主图/主图1.jpg"));
                     writeBytes(folder + q("/主图/主图10.jpg"), makePicture(10, 10));
                 },
                 true, 2, 3, q("主图/主图2.jpg"), true, {}},
        ReadCase{"picture_still_arriving_not_counted",
                 plan(),
                 [](const QString &folder, DownloadedLine &) {
                     writeBytes(folder + q("/描述图/.下载中4"), QByteArray("part"));
                 },
                 true, 2, 3, q("主图/主图1.jpg"), true, {}},
        ReadCase{"empty_picture_folders",
                 [] { FolderPlan s = plan(); s.mainPictures = s.descPictures = 0; return s; }(),
                 {}, true, 0, 0, {}, true, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ReadExportItemFields, TheListsNumberAndTitleWinAndEmptyOnesComeFromTheInfoFile)
{
    QTemporaryDir output;
    DownloadedLine line = makeItemFolder(output.path(), plan());
    line.itemNo = q("新-7"); // renumbered in the list; the folder keeps the old number
    line.title.clear();
    line.address.clear();
    const ExportItem item = readExportItem(line);
    EXPECT_EQ(item.line.itemNo, q("新-7"));
    EXPECT_EQ(item.line.title, q("连衣裙"));
    EXPECT_EQ(item.line.address, testAddress(plan()));
}

TEST(AttributeColumns, UnionInFirstSeenOrderAndCellsUnderTheirNames)
{
    ExportItem a, b, c;
    a.attributes = {{q("颜色"), q("红")}, {q("尺码"), q("M")}};
    b.attributes = {{q("材质"), q("棉")}, {q("颜色"), q("蓝")}, {q("货号"), q("B-2")}};
    c.attributes = {{q("颜色"), q("黑")}, {q("颜色"), q("白")}, {q("产地"), q("杭州")}};
    const QStringList columns = attributeColumns({a, b, c});
    EXPECT_EQ(columns, (QStringList{q("颜色"), q("尺码"), q("材质"), q("货号"), q("产地")}));

    EXPECT_EQ(attributeCells(a, columns), (QStringList{q("红"), q("M"), {}, {}, {}}));
    EXPECT_EQ(attributeCells(b, columns), (QStringList{q("蓝"), {}, q("棉"), q("B-2"), {}}));
    EXPECT_EQ(attributeCells(c, columns), (QStringList{q("黑；白"), {}, {}, {}, q("杭州")}));
    EXPECT_EQ(attributeCells(ExportItem{}, columns), QStringList(5));
    EXPECT_TRUE(attributeColumns({}).isEmpty());
}

TEST(LinesToExport, TheSelectedEntriesOrAllWhenNoneIs)
{
    ItemList downloaded;
    for (int i = 0; i < 4; ++i)
        downloaded.append(QStringLiteral("N%1|T%1|/out/T%1|https://d/%1.html").arg(i));
    const auto numbers = [](const QList<DownloadedLine> &lines) {
        QStringList out;
        for (const DownloadedLine &line : lines)
            out.append(line.itemNo);
        return out;
    };
    EXPECT_EQ(numbers(linesToExport(downloaded)), (QStringList{q("N0"), q("N1"), q("N2"), q("N3")}));
    downloaded.setSelected(3, true);
    downloaded.setSelected(1, true);
    EXPECT_EQ(numbers(linesToExport(downloaded)), (QStringList{q("N1"), q("N3")}));
    const QList<DownloadedLine> lines = linesToExport(downloaded);
    EXPECT_EQ(lines.first().folder, q("/out/T1"));
    EXPECT_EQ(lines.first().address, q("https://d/1.html"));
    EXPECT_TRUE(linesToExport(ItemList()).isEmpty());
}
