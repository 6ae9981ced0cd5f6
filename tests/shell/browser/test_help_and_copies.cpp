#include "qt_printers.h"
#include "recording_desktop.h"
#include "shell/browser/another_copy.h"
#include "shell/browser/help_commands.h"
#include "zorvane_version.h"


#include <gtest/gtest.h>

namespace {

struct HelpTest : ::testing::Test
{
    RecordingPrompts prompts;
    RecordingOpener opener;
    HelpCommands help{QStringLiteral("https://www.zorvane.com/"), prompts, opener};
};

} // namespace

TEST_F(HelpTest, UsageHelpText)
{
    help.HelpDoc_Click();
    ASSERT_EQ(prompts.messages.size(), 1);
    const RecordingPrompts::Message &shown = prompts.messages.first();
    EXPECT_EQ(shown.icon, Prompts::Icon::Information);
    EXPECT_EQ(shown.title, QStringLiteral("使用帮助"));
    EXPECT_EQ(shown.text,
              QStringLiteral("软件功能：Zorvane产品主图和描述图采集下载。\r\n"
                             "使用方法：方法1)直接在地址栏输入要下载产品详情页的网址，然后点击<采集>按钮，"
                             "待采集完成后点击<下载>按钮，选择目录保存图片。\r\n"
                             "          方法2)直接在地址栏输入www.zorvane.com/网址回车，浏览到目标采集产品详情页面，"
                             "然后点击<采集>按钮，待采集完成后点击<下载>按钮，选择目录保存图片。\r\n"));
    const QStringList lines = shown.text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines.at(2).startsWith(QString(10, QLatin1Char(' ')) + QStringLiteral("方法2)")));
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST(Help, HomeAddressWithoutItsScheme)
{
    EXPECT_TRUE(HelpCommands::helpText(QStringLiteral("http://127.0.0.1:8080/home"))
                    .contains(QStringLiteral("输入127.0.0.1:8080/home网址回车")));
}

TEST_F(HelpTest, VersionTextHasALoneCarriageReturn)
{
    help.Ver_Click();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages.first().icon, Prompts::Icon::Information);
    EXPECT_EQ(prompts.messages.first().title, QStringLiteral("软件版本信息"));
    EXPECT_EQ(prompts.messages.first().text, QStringLiteral("软件名称：Zorvane图片下载器\r软件版本:Ver" ZORVANE_VERSION));
}

TEST(AnotherCopy, SameProgramFolderCheckHostAndChromiumFlagsNeverDemo)
{
    const QString folder = QStringLiteral("/data/程序目录");
    const struct
    {
        const char *name;
        QStringList own;
        QStringList copy;
    } cases[] = {
        {"plain", {}, {QStringLiteral("--program-folder"), folder}},
        {"folder_replaced",
         {QStringLiteral("--program-folder"), QStringLiteral("rel")},
         {QStringLiteral("--program-folder"), folder}},
        {"folder_with_equals", {QStringLiteral("--program-folder=rel")}, {QStringLiteral("--program-folder"), folder}},
        {"demo_dropped", {QStringLiteral("--demo")}, {QStringLiteral("--program-folder"), folder}},
        {"check_host_kept",
         {QStringLiteral("--check-host"), QStringLiteral("localhost"), QStringLiteral("--screenshot"), QStringLiteral("a.png")},
         {QStringLiteral("--program-folder"), folder, QStringLiteral("--check-host"), QStringLiteral("localhost")}},
        {"check_host_with_equals",
         {QStringLiteral("--check-host=localhost")},
         {QStringLiteral("--program-folder"), folder, QStringLiteral("--check-host=localhost")}},
        {"chromium_flags_kept_whole",
         {QStringLiteral("--demo"), QStringLiteral("--webEngineArgs"), QStringLiteral("--host-resolver-rules=MAP * 127.0.0.1:1"),
          QStringLiteral("--demo")},
         {QStringLiteral("--program-folder"), folder, QStringLiteral("--webEngineArgs"),
          QStringLiteral("--host-resolver-rules=MAP * 127.0.0.1:1"), QStringLiteral("--demo")}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(anotherCopyArguments(c.own, folder), c.copy) << c.name;
}
