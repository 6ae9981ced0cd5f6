// 文件 → 导出表格…: the downloaded list into a spreadsheet the user names.
#include "window_fixture.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>

namespace {

class ExportTest : public WindowTest
{
protected:
    void exportSheet() { control<QAction>("exportSheet")->trigger(); }
    QString target() const { return QDir(folder.path()).filePath(QStringLiteral("导出/宝贝表")); }
};

} // namespace

TEST_F(ExportTest, TheSelectedItemsOrAllGoIntoTheFileTheUserNames)
{
    open();
    core->settings().setSaveFolder(folder.path());
    for (int n = 1; n <= 3; ++n)
        downloaded().append(QStringLiteral("E-%1|宝贝%1|%2|http://detail.zorvane.com/offer/%1.html")
                                .arg(n)
                                .arg(QDir(folder.path()).filePath(QString::number(n))));
    QDir().mkpath(QFileInfo(target()).path());
    desktop.picker.saveAnswer = target(); // typed without its extension
    const QStringList cases[] = {{}, {QStringLiteral("1"), QStringLiteral("2")}};
    for (const QStringList &selected : cases) {
        SCOPED_TRACE(selected.isEmpty() ? "none selected: all" : "two selected");
        for (const QString &row : selected)
            downloaded().setSelected(row.toInt() - 1, true);
        exportSheet();
        // It offers a file in the save folder first.
        EXPECT_EQ(desktop.picker.askedSavePath, QDir(folder.path()).filePath(S(u"已下载宝贝.xlsx")));
        const QString done = S(u"已导出%1个宝贝到").arg(selected.isEmpty() ? 3 : 2) + target() + S(u".xlsx");
        ASSERT_TRUE(waitUntil([&] { return log().contains(done); })) << log().join(u'\n').toStdString();
        EXPECT_TRUE(QFileInfo(target() + S(u".xlsx")).isFile());
        EXPECT_FALSE(control<QLabel>("ProgressExport")->isVisible());
    }
}

TEST_F(ExportTest, NothingToExportOrACancelledDialogWritesNothingAndSaysSo)
{
    open();
    exportSheet();
    EXPECT_EQ(log().last(), S(u"导出表格失败,原因:已下载列表中没有宝贝"));
    EXPECT_EQ(desktop.picker.savesAsked, 0);
    downloaded().append(QStringLiteral("E-1|宝贝|/nowhere|http://detail.zorvane.com/offer/1.html"));
    desktop.picker.saveAnswer.clear();
    exportSheet();
    EXPECT_EQ(log().last(), S(u"导出表格已取消"));
    EXPECT_TRUE(QDir(folder.path()).entryList({QStringLiteral("*.xlsx")}, QDir::Files).isEmpty());
}
