// 文件 → 导出表格…: the downloaded list into a spreadsheet the user names.
#include "test_files.h"
#include "window_fixture.h"

#include "platform/desktop/desktop_services.h"

#include <QAction>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

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
    // The dialog gives the name with its ending; the second export replaces the first.
    desktop.picker.saveAnswer = target() + S(u".xlsx");
    const QStringList cases[] = {{}, {QStringLiteral("1"), QStringLiteral("2")}};
    for (const QStringList &selected : cases) {
        SCOPED_TRACE(selected.isEmpty() ? "none selected: all" : "two selected");
        for (const QString &row : selected)
            downloaded().setSelected(row.toInt() - 1, true);
        exportSheet();
        // It offers a file in the save folder first, then where the last export went, and says which items go.
        EXPECT_EQ(desktop.picker.askedSavePath, QDir(selected.isEmpty() ? folder.path() : QFileInfo(target()).path())
                                                    .filePath(S(u"已下载宝贝.xlsx")));
        EXPECT_EQ(desktop.picker.askedTitle, selected.isEmpty() ? S(u"导出全部3个宝贝") : S(u"导出选中的2个宝贝"));
        const QString done = S(u"已导出%1个宝贝到").arg(selected.isEmpty() ? 3 : 2) + target() + S(u".xlsx");
        ASSERT_TRUE(waitUntil([&] { return log().contains(done); })) << log().join(u'\n').toStdString();
        EXPECT_TRUE(QFileInfo(target() + S(u".xlsx")).isFile());
        EXPECT_FALSE(control<QLabel>("ProgressExport")->isVisible());
    }
    EXPECT_EQ(core->settings().exportFolder(), QFileInfo(target()).path()) << "remembered for the next start";
    QDir(QFileInfo(target()).path()).removeRecursively();
    desktop.picker.saveAnswer.clear();
    exportSheet();
    EXPECT_EQ(desktop.picker.askedSavePath, QDir(folder.path()).filePath(S(u"已下载宝贝.xlsx")))
        << "a folder that is gone is not offered";
}

// The save dialog adds the ending to a typed name before it closes: its own
// question comes before a spreadsheet of that name is replaced.
TEST_F(ExportTest, TheSaveDialogAsksBeforeATypedNameReplacesASpreadsheet)
{
    writeBytes(QDir(folder.path()).filePath(S(u"表.xlsx")), "an older export");
    DialogFolderPicker picker;
    QStringList chosen;
    picker.chooseSaveFile(S(u"导出"), QDir(folder.path()).filePath(S(u"已下载宝贝.xlsx")), S(u"Excel 表格 (*.xlsx)"),
                          [&](const QString &path) { chosen << path; });
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    ASSERT_TRUE(dialog);
    QString asked; // Qt's own modal question, answered "no" once it is up
    QTimer::singleShot(0, dialog, [&asked] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        asked = box ? box->text() : QString();
        if (box)
            box->button(QMessageBox::No)->click();
    });
    dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(S(u"表"));
    QTest::keyClick(dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
    EXPECT_TRUE(asked.contains(S(u"表.xlsx"))) << asked.toStdString();
    ASSERT_TRUE(chosen.isEmpty()) << "the dialog closed";
    dialog->reject();
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
