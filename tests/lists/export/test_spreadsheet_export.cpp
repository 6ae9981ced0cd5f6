#include "file_faults.h"
#include "item_folders.h"
#include "sheet_reader.h"
#include "test_app.h"
#include "lists/export/export_items.h"
#include "lists/item_list.h"
#include "lists/export/item_sheet.h"
#include "lists/export/spreadsheet_export.h"

#include <QDir>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

struct Outcome
{
    bool ok = false;
    QString message;
    QList<std::pair<int, int>> progress;
};

// Runs one export to its end, as the window would: start, then the signals.
Outcome runExport(const QList<DownloadedLine> &lines, const QString &path)
{
    SpreadsheetExport exporter;
    QSignalSpy progressed(&exporter, &SpreadsheetExport::progressed);
    QSignalSpy finished(&exporter, &SpreadsheetExport::finished);
    Outcome outcome;
    EXPECT_TRUE(exporter.start(lines, path));
    if (!waitUntil([&] { return !finished.isEmpty(); }, 120000)) {
        ADD_FAILURE() << "the export did not finish";
        return outcome;
    }
    EXPECT_EQ(finished.size(), 1);
    outcome.ok = finished.first().at(0).toBool();
    outcome.message = finished.first().at(1).toString();
    for (const QList<QVariant> &signal : std::as_const(progressed))
        outcome.progress.append({signal.at(0).toInt(), signal.at(1).toInt()});
    return outcome;
}

std::optional<double> number(const QVariant &value)
{
    bool ok = false;
    const double n = value.toDouble(&ok);
    if (!ok || value.typeId() == QMetaType::QString)
        return std::nullopt;
    return n;
}

QStringList texts(const QVariantList &row)
{
    QStringList out;
    for (const QVariant &value : row)
        out.append(value.toString());
    return out;
}

QSize fitted(QSize size)
{
    return size.scaled(80, 80, Qt::KeepAspectRatio);
}

const QStringList Fixed = {q("序号"), q("货号"), q("标题")};
const QStringList After = {q("主图数"), q("描述图数"), q("宝贝目录"), q("宝贝链接"), q("主图"), q("备注")};

FolderPlan item(const char *itemNo, const char *title, QList<AttributePair> attributes, QSize mainSize = {800, 800})
{
    FolderPlan s{q(itemNo), q(title), std::move(attributes)};
    s.mainSize = mainSize;
    return s;
}

FolderPlan without(FolderPlan s, bool folder, bool infoFile)
{
    s.folder = folder;
    s.infoFile = infoFile;
    return s;
}

struct SheetCase
{
    const char *name;
    QList<FolderPlan> items;
    QList<int> selected;                // entries selected in the downloaded list
    QList<int> exported;                // the items that become rows, in row order
    QStringList attributeHeader;
    QList<QStringList> attributeCells;  // per row
    QStringList notes;                  // per row
};
ZORVANE_PRINT_AS_NAME(SheetCase)

class ExportedSheet : public ::testing::TestWithParam<SheetCase> {};

const FolderPlan Dress = item("A-1", "连衣裙", {{q("颜色"), q("红")}, {q("尺码"), q("S:M")}}, {800, 800});
const FolderPlan Shirt = item("B-2", "衬衫", {{q("材质"), q("棉")}, {q("颜色"), q("白")}, {q("货号"), q("B-2")}}, {800, 400});
const FolderPlan Bag = item("C-3", "女包", {}, {300, 900});

} // namespace

TEST_P(ExportedSheet, RowsCellsLinksAndPicturesReadBack)
{
    const SheetCase &c = GetParam();
    QTemporaryDir output;
    ItemList downloaded;
    QList<DownloadedLine> lines;
    for (const FolderPlan &plan : c.items) {
        lines.append(makeItemFolder(output.path(), plan));
        downloaded.append(lines.last().toString());
    }
    for (int position : c.selected)
        downloaded.setSelected(position, true);
    const QString path = output.filePath(q("导出.xlsx"));

    const Outcome outcome = runExport(linesToExport(downloaded), path);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.message, q("已导出%1个宝贝到%2").arg(c.exported.size()).arg(path));

    const SheetContents sheet = readSheet(path);
    ASSERT_TRUE(sheet.error.isEmpty()) << sheet.error.toStdString();
    EXPECT_EQ(sheet.sheets, QStringList{q("宝贝")});
    ASSERT_EQ(sheet.rows.size(), c.exported.size() + 1);
    EXPECT_EQ(texts(sheet.rows.first()), Fixed + c.attributeHeader + After);

    const int counts = int(Fixed.size() + c.attributeHeader.size());
    const int folderCol = counts + 2, pageCol = counts + 3, pictureCol = counts + 4, noteCol = counts + 5;
    int pictures = 0, folders = 0;
    for (int r = 1; r <= c.exported.size(); ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        const FolderPlan &plan = c.items.at(c.exported.at(r - 1));
        const DownloadedLine &line = lines.at(c.exported.at(r - 1));
        EXPECT_EQ(number(sheet.cell(r, 0)), r);
        EXPECT_EQ(sheet.cell(r, 1).toString(), plan.itemNo);
        EXPECT_EQ(sheet.cell(r, 2).toString(), plan.title);
        for (int a = 0; a < c.attributeHeader.size(); ++a)
            EXPECT_EQ(sheet.cell(r, int(Fixed.size()) + a).toString(), c.attributeCells.at(r - 1).value(a)) << a;
        EXPECT_EQ(number(sheet.cell(r, counts)), plan.folder ? std::optional<double>(plan.mainPictures) : std::nullopt);
        EXPECT_EQ(number(sheet.cell(r, counts + 1)), plan.folder ? std::optional<double>(plan.descPictures) : std::nullopt);

        EXPECT_EQ(sheet.cell(r, folderCol).toString(), QDir::toNativeSeparators(line.folder));
        folders += plan.folder ? 1 : 0;
        if (plan.folder) {
            EXPECT_EQ(QUrl::fromEncoded(sheet.links.value({r, folderCol}).toUtf8()).toLocalFile(), line.folder);
        } else {
            EXPECT_FALSE(sheet.links.contains({r, folderCol})) << "a link to a folder that is gone";
        }
        EXPECT_EQ(sheet.cell(r, pageCol).toString(), line.address);
        EXPECT_EQ(sheet.links.value({r, pageCol}), line.address);

        const SheetContents::Picture *picture = sheet.pictureAt(r);
        if (plan.folder && plan.mainPictures > 0) {
            ASSERT_NE(picture, nullptr);
            ++pictures;
            EXPECT_EQ(picture->col, pictureCol);
            EXPECT_EQ(picture->toCol, pictureCol) << "wider than its column";
            EXPECT_EQ(picture->toRow, r) << "taller than its row";
            // Each item's 主图1 has a shape of its own: this is this row's picture.
            EXPECT_EQ(picture->image.size(), fitted(plan.mainSize));
        } else {
            EXPECT_EQ(picture, nullptr);
        }
        EXPECT_EQ(sheet.cell(r, noteCol).toString(), c.notes.value(r - 1));
    }
    EXPECT_EQ(sheet.pictures.size(), pictures);
    EXPECT_EQ(sheet.links.size(), folders + c.exported.size()) << "only the two links per row";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportedSheet,
    ::testing::Values(
        SheetCase{"attribute_union_and_order", {Dress, Shirt, Bag}, {}, {0, 1, 2},
                  {q("颜色"), q("尺码"), q("材质"), q("货号(属性)")},
                  {{q("红"), q("S:M")}, {q("白"), {}, q("棉"), q("B-2")}, {}},
                  {}},
        SheetCase{"missing_folder", {Dress, without(Shirt, false, false)}, {}, {0, 1},
                  {q("颜色"), q("尺码")},
                  {{q("红"), q("S:M")}, {}},
                  {{}, q("目录不存在")}},
        SheetCase{"missing_info_file", {without(Dress, true, false), Shirt}, {}, {0, 1},
                  {q("材质"), q("颜色"), q("货号(属性)")},
                  {{}, {q("棉"), q("白"), q("B-2")}},
                  {q("宝贝基本信息.txt不存在"), {}}},
        SheetCase{"title_with_chinese_and_bar",
                  {item("D-4", "女装｜夏季新款 连衣裙（加厚）#1", {{q("风格"), q("韩版｜通勤")}}, {640, 480})}, {}, {0},
                  {q("风格")}, {{q("韩版｜通勤")}}, {}},
        SheetCase{"nothing_selected_exports_all", {Dress, Shirt, Bag}, {}, {0, 1, 2},
                  {q("颜色"), q("尺码"), q("材质"), q("货号(属性)")},
                  {{q("红"), q("S:M")}, {q("白"), {}, q("棉"), q("B-2")}, {}},
                  {}},
        SheetCase{"selected_only_in_list_order", {Dress, Shirt, Bag}, {2, 0}, {0, 2},
                  {q("颜色"), q("尺码")},
                  {{q("红"), q("S:M")}, {}},
                  {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SpreadsheetExport, ReportsProgressToTheEndAndReplacesAnOldFileKeepingItsPermissions)
{
    QTemporaryDir output;
    QList<DownloadedLine> lines;
    for (int i = 0; i < 12; ++i)
        lines.append(makeItemFolder(output.path(), item(qPrintable(QStringLiteral("N%1").arg(i)),
                                                        qPrintable(QStringLiteral("T%1").arg(i)), {})));
    const QString path = output.filePath(q("宝贝.xlsx"));
    writeBytes(path, QByteArray("an older export"));
    const QFileDevice::Permissions shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
        | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    ASSERT_TRUE(QFile::setPermissions(path, shared));

    const Outcome outcome = runExport(lines, path);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    ASSERT_FALSE(outcome.progress.isEmpty());
    EXPECT_EQ(outcome.progress.last(), std::make_pair(12, 12));
    for (qsizetype i = 0; i < outcome.progress.size(); ++i) {
        EXPECT_EQ(outcome.progress.at(i).second, 12);
        if (i > 0) {
            EXPECT_GT(outcome.progress.at(i).first, outcome.progress.at(i - 1).first);
        }
    }
    const SheetContents sheet = readSheet(path);
    ASSERT_TRUE(sheet.error.isEmpty()) << sheet.error.toStdString();
    EXPECT_EQ(sheet.rows.size(), 13);
    EXPECT_EQ(QFileInfo(path).permissions(), shared);
    // Nothing else is left in the folder: the temporary name was renamed.
    EXPECT_EQ(QDir(output.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(SpreadsheetExport, OneAtATimeAndNothingToExportIsSaid)
{
    QTemporaryDir output;
    const QList<DownloadedLine> lines = {makeItemFolder(output.path(), Dress)};
    SpreadsheetExport exporter;
    QSignalSpy finished(&exporter, &SpreadsheetExport::finished);
    ASSERT_TRUE(exporter.start(lines, output.filePath(q("a.xlsx"))));
    EXPECT_TRUE(exporter.isRunning());
    EXPECT_FALSE(exporter.start(lines, output.filePath(q("b.xlsx"))));
    ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }, 120000));
    EXPECT_FALSE(exporter.isRunning());
    EXPECT_TRUE(QFile::exists(output.filePath(q("a.xlsx"))));
    EXPECT_FALSE(QFile::exists(output.filePath(q("b.xlsx"))));
    // Not the temporary file's owner-only permissions: others may read it.
    EXPECT_TRUE(QFileInfo(output.filePath(q("a.xlsx"))).permissions() & QFileDevice::ReadOther);

    const Outcome empty = runExport({}, output.filePath(q("c.xlsx")));
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.message, q("导出表格失败,原因:没有可导出的宝贝"));
    EXPECT_FALSE(QFile::exists(output.filePath(q("c.xlsx"))));
}

TEST(SpreadsheetExport, DroppedWhileReadingItWritesNothing)
{
    QTemporaryDir output;
    QList<DownloadedLine> lines;
    for (int i = 0; i < 40; ++i)
        lines.append(makeItemFolder(output.path(), item(qPrintable(QStringLiteral("N%1").arg(i)),
                                                        qPrintable(QStringLiteral("T%1").arg(i)), {})));
    const QStringList before = QDir(output.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    {
        SpreadsheetExport exporter;
        ASSERT_TRUE(exporter.start(lines, output.filePath(q("导出.xlsx"))));
    }
    // The pool's threads end what they had begun; nothing may be written after.
    ASSERT_TRUE(waitUntil([] { return QThreadPool::globalInstance()->activeThreadCount() == 0; }, 120000));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(QDir(output.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

// The page column links what a browser opens, over http as well as https;
// anything else (a local file, a script, a line that is no address) stays
// text, so that a click in the sheet runs nothing.
TEST(ItemSheet, ThePageColumnLinksWebAddressesOnly)
{
    const struct
    {
        const char *name;
        QString address;
        bool linked;
    } cases[] = {
        {"http", q("http://detail.zorvane.com/offer/1.html"), true},
        {"https_with_query", q("https://detail.zorvane.com/offer/2.html?spm=a:b"), true},
        {"http_upper_case_scheme", q("HTTP://detail.zorvane.com/offer/3.html"), true},
        {"local_file", q("file:///etc/passwd"), false},
        {"script", q("javascript:alert(1)"), false},
        {"no_address", q("宝贝url|自定义宝贝名(可选)"), false},
    };
    QTemporaryDir output;
    QList<SheetRow> rows;
    for (const auto &c : cases) {
        SheetRow row;
        row.item.line = {q("N"), q(c.name), output.filePath(q(c.name)), c.address};
        rows.append(row);
    }
    const QString path = output.filePath(q("链接.xlsx"));
    QString error;
    ASSERT_TRUE(writeItemSheet(rows, path, &error)) << error.toStdString();
    const SheetContents sheet = readSheet(path);
    ASSERT_TRUE(sheet.error.isEmpty()) << sheet.error.toStdString();
    constexpr int pageCol = 6; // no attributes: 序号 货号 标题 主图数 描述图数 宝贝目录 宝贝链接
    for (int r = 1; r <= int(std::size(cases)); ++r) {
        const auto &c = cases[r - 1];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sheet.cell(r, pageCol).toString(), c.address) << "the address stays readable";
        EXPECT_EQ(sheet.links.contains({r, pageCol}), c.linked);
        if (c.linked)
            EXPECT_EQ(QUrl(sheet.links.value({r, pageCol})), QUrl(c.address));
    }
}

// Excel takes 65,530 links in a sheet: the rows past that show their
// addresses as text instead of losing them.
TEST(ItemSheet, RowsPastTheLinkLimitKeepTheirAddressesAsText)
{
    QTemporaryDir output;
    QList<SheetRow> rows;
    for (int i = 1; i <= 65532; ++i) {
        SheetRow row;
        row.item.line = {QString::number(i), QString(), output.filePath(QString::number(i)),
                         QStringLiteral("https://d/%1.html").arg(i)};
        rows.append(row);
    }
    const QString path = output.filePath(q("多.xlsx"));
    QString error;
    ASSERT_TRUE(writeItemSheet(rows, path, &error)) << error.toStdString();

    // No folders, no attributes: the page's column is G, row 1 the header.
    const SheetCells sheet = readSheetCells(path, {q("G65531"), q("G65532"), q("G65533")});
    ASSERT_TRUE(sheet.error.isEmpty()) << sheet.error.toStdString();
    EXPECT_EQ(sheet.links.size(), 65530);
    EXPECT_EQ(sheet.links.last(), q("G65531"));
    EXPECT_EQ(sheet.cells.value(q("G65531")), q("https://d/65530.html"));
    EXPECT_EQ(sheet.cells.value(q("G65532")), q("https://d/65531.html"));
    EXPECT_EQ(sheet.cells.value(q("G65533")), q("https://d/65532.html"));
}

// A sheet holds 16,384 columns, nine of them fixed: one attribute more is a
// failure that says so and writes nothing, not an export with columns missing.
TEST(ItemSheet, MoreColumnsThanASheetHoldsFailAndWriteNothing)
{
    for (const int attributes : {16375, 16376}) {
        QTemporaryDir output;
        SheetRow row;
        for (int a = 0; a < attributes; ++a)
            row.item.attributes.append({QString::number(a), q("值")});
        QString error;
        EXPECT_EQ(writeItemSheet({row}, output.filePath(q("宽.xlsx")), &error), attributes == 16375) << attributes;
        EXPECT_EQ(QDir(output.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) && error.contains(q("16384列")),
                  attributes == 16376) << error.toStdString();
    }
}

// A failed export leaves no file, not even a temporary one, and an old file as it was.
TEST(SpreadsheetExport, AFailureLeavesNoFileAndTheOldOneUntouched)
{
    const struct
    {
        const char *name;
        const char *target;    // under the output folder
        qint64 fileSizeLimit;  // 0: none
        QString reason;        // how the message's reason begins
    } cases[] = {
        {"folder_missing", "不存在/导出.xlsx", 0, q("无法在")},
        {"folder_is_a_file", "宝贝.txt/导出.xlsx", 0, q("无法在")},
        {"disk_full_while_writing", "导出.xlsx", 4096, {}},
        {"target_is_a_folder", "连衣裙", 0, {}},
    };
    const QByteArray old = QByteArray("an older export, kept").repeated(1000);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir output;
        const QList<DownloadedLine> lines = {makeItemFolder(output.path(), Dress), makeItemFolder(output.path(), Shirt)};
        writeBytes(output.filePath(q("宝贝.txt")), QByteArray("not a folder"));
        const QString path = output.filePath(q(c.target));
        const bool hadOld = QFileInfo(path).dir().exists() && !QFileInfo(path).isDir();
        if (hadOld)
            writeBytes(path, old);
        const QStringList before = QDir(output.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        Outcome outcome;
        {
            std::optional<FileSizeLimit> limit;
            if (c.fileSizeLimit > 0)
                limit.emplace(rlim_t(c.fileSizeLimit));
            outcome = runExport(lines, path);
        }
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.message.startsWith(q("导出表格失败,原因:") + c.reason)) << outcome.message.toStdString();
        EXPECT_EQ(QDir(output.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        if (hadOld) {
            EXPECT_EQ(readBytes(path), old);
        }
        EXPECT_TRUE(QFileInfo(output.filePath(q("连衣裙"))).isDir());
    }
}
