#include "child_process.h"
#include "log_text.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "test_app.h"

#include "platform/files/text_file.h"
#include "shell/app/lists_lock.h"
#include "shell/window/main/main_form.h"
#include "test_files.h"
#include "zorvane_version.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// zorvane-picker, what it prints on both channels collected.
struct WindowProcess : ChildProcess
{
    WindowProcess(const QProcessEnvironment &env, const QStringList &arguments)
        : ChildProcess(QStringLiteral(ZORVANE_WINDOW_EXE), arguments, env, QProcess::MergedChannels)
    {
    }
};

QProcessEnvironment environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"));
    return env;
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// A program folder with lists and auto mode off, for copies of the program started on it.
struct SharedFolder
{
    QTemporaryDir dir;
    const QString lists = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nW-1|") + detailPageAddress(701)
        + S(u"\r\n<AlreadyDownedList>\r\n");

    SharedFolder()
    {
        writeLocalTextFile(dir.filePath(QStringLiteral("config.ini")), QStringLiteral("[config]\r\nisAuto=False\r\n"));
        writeLocalTextFile(listFile(), lists);
    }
    QString path() const { return dir.path(); }
    QString listFile() const { return dir.filePath(QStringLiteral("listdata.txt")); }
    QString listData() const { return readLocalTextFile(listFile()).value_or(QString()); }
    QStringList windowArguments() const
    {
        return {QStringLiteral("--program-folder"), path(), QStringLiteral("--check-host"), QStringLiteral("127.0.0.1"),
                QStringLiteral("--webEngineArgs"),
                QStringLiteral("--host-resolver-rules=MAP *.zorvane.com 127.0.0.1:%1").arg(sharedServer().port())};
    }
    // The lock file names its holder once it is taken.
    bool waitForListsOwner() const
    {
        return waitUntil([this] { return readBytes(dir.filePath(QStringLiteral("listdata.txt.lock"))).contains('\n'); },
                         60000);
    }
};

bool terminate(ChildProcess &program)
{
    ::kill(pid_t(program.process.processId()), SIGTERM);
    return program.waitForExit();
}

} // namespace

TEST(WindowProgram, WithoutADisplayItSaysSoAndPointsToTheRunner)
{
    QProcessEnvironment env = environment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    WindowProcess window(env, {});
    ASSERT_TRUE(window.waitForExit());
    EXPECT_EQ(window.process.exitCode(), 1);
    EXPECT_TRUE(window.output.startsWith(S(u"没有图形显示"))) << window.output.toStdString();
    EXPECT_TRUE(window.output.contains(QStringLiteral("zorvane-picker-batch")));
}

TEST(WindowProgram, TerminationClosesTheWindowAndPutsTheItemBack)
{
    QTemporaryDir folder;
    DetailPage item;
    item.title = S(u"被打断的窗口宝贝");
    item.height = 30000;
    servePage(sharedServer(), detailPageAddress(501), detailPageHtml(item));
    const QString listFile = QDir(folder.path()).filePath(QStringLiteral("listdata.txt"));
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")),
                       QStringLiteral("[config]\r\nPicOutPutPath=") + folder.path() + QStringLiteral("\r\n"));
    writeLocalTextFile(listFile, S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nT-1|") + detailPageAddress(501)
                                     + S(u"\r\n<AlreadyDownedList>\r\n"));
    QProcessEnvironment env = environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    WindowProcess window(env, {QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"),
                               QStringLiteral("127.0.0.1"), QStringLiteral("--webEngineArgs"),
                               QStringLiteral("--host-resolver-rules=MAP *.zorvane.com 127.0.0.1:%1")
                                   .arg(sharedServer().port())});
    // Auto mode takes the item: while it is under way the file holds it with the marker.
    const QString underWay = S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\nT-1|") + detailPageAddress(501)
        + S(u"|[上次软件退出未采集完成]\r\n<AlreadyDownedList>\r\n");
    ASSERT_TRUE(waitUntil([&] { return readLocalTextFile(listFile).value_or(QString()) == underWay; }, 60000))
        << window.output.toStdString();
    ::kill(pid_t(window.process.processId()), SIGTERM);
    ASSERT_TRUE(window.waitForExit());
    EXPECT_EQ(window.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(window.process.exitCode(), 128 + SIGTERM);
    EXPECT_EQ(readLocalTextFile(listFile).value_or(QString()), underWay);
    // The terminal shows the program's own lines only.
    EXPECT_EQ(window.output.trimmed(), S(u"程序目录: ") + folder.path()) << window.output.toStdString();
}

TEST(WindowProgram, ASecondWindowOnTheSameFolderNeverWritesTheLists)
{
    SharedFolder folder;
    WindowProcess first(offscreen(), folder.windowArguments());
    ASSERT_TRUE(folder.waitForListsOwner()) << first.output.toStdString();
    WindowProcess second(offscreen(), folder.windowArguments());
    ASSERT_TRUE(waitUntil([&] { return second.output.contains(MainForm::readOnlyNotice()); }, 60000))
        << second.output.toStdString();
    // The first window saves its lists meanwhile; the second's view of them is stale.
    const QString saved = folder.lists + S(u"W-2|") + detailPageAddress(702) + S(u"\r\n");
    writeLocalTextFile(folder.listFile(), saved);
    ASSERT_TRUE(terminate(second));
    EXPECT_EQ(second.process.exitCode(), 128 + SIGTERM);
    EXPECT_EQ(folder.listData(), saved);
    EXPECT_FALSE(first.output.contains(MainForm::readOnlyNotice())) << first.output.toStdString();
}

TEST(WindowProgram, TheRunnerDoesNotRunBesideAWindow)
{
    SharedFolder folder;
    WindowProcess window(offscreen(), folder.windowArguments());
    ASSERT_TRUE(folder.waitForListsOwner()) << window.output.toStdString();
    ChildProcess runner(QStringLiteral(ZORVANE_BATCH_EXE),
                        {QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"),
                         QStringLiteral("127.0.0.1"), QStringLiteral("--add"), S(u"X-1|") + detailPageAddress(703)},
                        environment(), QProcess::MergedChannels);
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 5);
    EXPECT_TRUE(runner.output.contains(ListsLock::runnerRefusedNotice(folder.path()))) << runner.output.toStdString();
    EXPECT_EQ(folder.listData(), folder.lists);
}

TEST(WindowProgram, BothProgramsShowQtsOwnTextsInChinese)
{
    for (const QString &program : {QStringLiteral(ZORVANE_WINDOW_EXE), QStringLiteral(ZORVANE_BATCH_EXE)}) {
        SCOPED_TRACE(program.toStdString());
        ChildProcess help(program, {QStringLiteral("--help")}, offscreen(), QProcess::MergedChannels);
        ASSERT_TRUE(help.waitForExit());
        EXPECT_EQ(help.process.exitCode(), 0);
        // The parser's own words, from Qt's catalogue.
        EXPECT_TRUE(help.output.contains(S(u"用法："))) << help.output.toStdString();
        EXPECT_TRUE(help.output.contains(S(u"在命令行选项上显示帮助。"))) << help.output.toStdString();
    }
}

TEST(WindowProgram, BothProgramsTellTheVersionWithoutADisplay)
{
    QProcessEnvironment env = environment();
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    for (const QString &program : {QStringLiteral(ZORVANE_WINDOW_EXE), QStringLiteral(ZORVANE_BATCH_EXE)}) {
        SCOPED_TRACE(program.toStdString());
        ChildProcess version(program, {QStringLiteral("--version")}, env);
        ASSERT_TRUE(version.waitForExit());
        EXPECT_EQ(version.process.exitCode(), 0);
        EXPECT_EQ(version.output, QFileInfo(program).fileName() + QStringLiteral(" " ZORVANE_VERSION "\n"));
    }
}

// The demo's marketplace answers https as the marketplace does: the demo shop
// pasted either way is collected, the browser accepting the demo's own
// certificate without anyone trusting anything by hand.
TEST(DemoProgram, TheDemoShopIsCollectedOverHttpsAsOverHttp)
{
    for (const QString &shop : {S(u"https://DemoShop.zorvane.com/"), S(u"http://demoshop.zorvane.com")}) {
        SCOPED_TRACE(shop.toStdString());
        QTemporaryDir temp;
        QProcessEnvironment env = offscreen();
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        ChildProcess runner(QStringLiteral(ZORVANE_BATCH_EXE),
                            {QStringLiteral("--demo"), QStringLiteral("--shop"), shop, QStringLiteral("--fast")}, env,
                            QProcess::MergedChannels);
        ASSERT_TRUE(runner.waitForExit(300000));
        EXPECT_EQ(runner.process.exitCode(), 0) << runner.output.toStdString();
        EXPECT_FALSE(runner.output.contains(S(u"加载失败"))) << runner.output.toStdString();
        EXPECT_EQ(runner.output.count(S(u"采集成功")), 6) << runner.output.toStdString();
    }
}
