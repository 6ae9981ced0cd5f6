#include "log_text.h"
#include "recording_desktop.h"
#include "collection/log_notices.h"
#include "collection/status_log.h"
#include "download/save_folder.h"
#include "platform/desktop/desktop.h"
#include "shell/settings.h"
#include "test_files.h"
#include "qt_printers.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct SaveFolderTest : ::testing::Test
{
    QTemporaryDir program;
    Settings settings{program.path()};
    StatusLog log;
    AnsweringPicker picker;
    RecordingOpener opener;
    SaveFolder saveFolder{settings, log, picker, opener};
};

} // namespace

TEST_F(SaveFolderTest, ChoosingStoresTheFolderAndCancellingKeepsTheOldOne)
{
    picker.answer = QStringLiteral("/data/图片");
    saveFolder.SetSavePathCmd_Click();
    EXPECT_EQ(picker.askedTitle, QStringLiteral("请选择保存目录"));
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("PicOutPutPath")), QStringLiteral("/data/图片"));
    EXPECT_EQ(logMessages(log).last(), QStringLiteral("设置采集图片保存至:/data/图片"));

    picker.answer.clear();
    saveFolder.SetSavePathCmd_Click();
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("PicOutPutPath")), QStringLiteral("/data/图片"));
    // Cancelling is no failure: nothing in the log reads like one.
    EXPECT_EQ(logMessages(log).last(), QStringLiteral("保存目录设置已取消"));
    EXPECT_FALSE(isFailureNotice(logMessages(log).last()));
}

TEST_F(SaveFolderTest, TheChooserStartsAtTheSaveFolderElseThePicturesElseHome)
{
    // A home of its own, without the desktop's own folder names.
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
    const QString out = program.filePath(QStringLiteral("图片"));
    ASSERT_TRUE(QDir().mkpath(out));
    const QString pictures = home.filePath(QStringLiteral("Pictures"));
    const struct
    {
        const char *name;
        QString stored;
        bool picturesExist;
        QString start;
    } cases[] = {
        {"save_folder", out, true, out},
        {"no_save_folder", QString(), true, pictures},
        {"save_folder_gone", program.filePath(QStringLiteral("gone")), true, pictures},
        {"no_pictures_folder", QString(), false, home.path()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.picturesExist ? QDir().mkpath(pictures) : QDir(pictures).removeRecursively());
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), c.stored));
        EXPECT_EQ(SaveFolder::startFolder(settings), c.start);
        picker.answer.clear();
        saveFolder.SetSavePathCmd_Click();
        EXPECT_EQ(picker.askedInitial, c.start);
    }
    qputenv("HOME", savedHome);
    savedConfig.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", savedConfig);
}

TEST_F(SaveFolderTest, AFolderThatCannotBeStoredIsNotReportedAsSet)
{
    Settings unwritable(program.filePath(QStringLiteral("no/such/folder")));
    SaveFolder broken(unwritable, log, picker, opener);
    picker.answer = QStringLiteral("/data");
    broken.ChooseSaveFolder();
    EXPECT_TRUE(logMessages(log).last().startsWith(QStringLiteral("保存目录设置失败,原因:"))) << logMessages(log).last().toStdString();
}

TEST_F(SaveFolderTest, AFolderWithAVerticalBarIsRefusedAndTheOldOneKept)
{
    // Its path would go into every downloaded line, whose fields "|" separates.
    settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), QStringLiteral("/data/图片"));
    picker.answer = QStringLiteral("/data/春装|夏装");
    saveFolder.ChooseSaveFolder();
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("PicOutPutPath")), QStringLiteral("/data/图片"));
    EXPECT_EQ(logMessages(log).last(),
              QStringLiteral("保存目录设置失败,原因:目录/data/春装|夏装的路径中有竖线\"|\",下载列表用它分隔各项,请选择路径中没有\"|\"的目录"));
    EXPECT_TRUE(isFailureNotice(logMessages(log).last()));
}

TEST_F(SaveFolderTest, OpeningNeedsAStoredFolder)
{
    saveFolder.OpenSavePathCmd_Click();
    EXPECT_TRUE(opener.opened.isEmpty());
    EXPECT_EQ(logMessages(log).last(), QStringLiteral("打开失败,原因:未设定保存目录,请选设定"));

    const QString out = program.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), out);
    saveFolder.OpenSavePathCmd_Click();
    EXPECT_EQ(opener.opened, QStringList{out});
    EXPECT_EQ(logMessages(log).last(), QStringLiteral("打开采集保存目录:") + out);
}

TEST_F(SaveFolderTest, OpeningAFolderThatCannotBeShownSaysWhy)
{
    const QString out = program.filePath(QStringLiteral("图片"));
    ASSERT_TRUE(QDir().mkpath(out));
    writeBytes(program.filePath(QStringLiteral("a-file")), "x");
    const struct
    {
        const char *name;
        QString stored;
        bool hasFileManager;
        QString logged;
        bool opened;
    } cases[] = {
        {"existing", out, true, QStringLiteral("打开采集保存目录:") + out, true},
        {"missing", program.filePath(QStringLiteral("gone")), true,
         QStringLiteral("打开目录失败,原因:目录不存在:") + program.filePath(QStringLiteral("gone")), false},
        {"a_file", program.filePath(QStringLiteral("a-file")), true,
         QStringLiteral("打开目录失败,原因:目录不存在:") + program.filePath(QStringLiteral("a-file")), false},
        {"no_file_manager", out, false, QStringLiteral("打开目录失败,原因:系统没有可用的文件管理器:") + out, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        opener.opened.clear();
        opener.hasFileManager = c.hasFileManager;
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), c.stored));
        saveFolder.OpenSavePathCmd_Click();
        EXPECT_EQ(logMessages(log).last(), c.logged);
        EXPECT_EQ(opener.opened, c.opened ? QStringList{c.stored} : QStringList{});
    }
}
