// The runner's 店铺上新 options as real processes: a check killed with
// SIGKILL and the next one, a check handed over to the copy that keeps the
// lists, the schedule's units under systemd-analyze and the fall-back when
// systemctl fails. Stand-in systemctl programs on PATH: never the machine's
// own service manager.
#include "fixture_pages.h"
#include "log_text.h"
#include "runner_process.h"
#include "test_files.h"

#include "lists/item_lines.h"
#include "platform/desktop/systemd_user_timer.h"
#include "platform/files/text_file.h"
#include "shell/app/lists_lock.h"
#include "shell/app/watch_handover.h"
#include "shop/change_record.h"
#include "shop/watch_list.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class WatchRunnerTest : public ::testing::Test
{
protected:
    WatchRunnerTest()
    {
        writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")),
                           QStringLiteral("[config]\r\nPicOutPutPath=") + folder.path() + QStringLiteral("\r\n"));
        writeLocalTextFile(file(QStringLiteral("listdata.txt")),
                           QStringLiteral("<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"));
    }
    QStringList common(const QStringList &more) const
    {
        return QStringList{QStringLiteral("--program-folder"), folder.path(), QStringLiteral("--check-host"),
                           QStringLiteral("127.0.0.1")}
            + more;
    }
    QString file(const QString &name) const { return QDir(folder.path()).filePath(name); }
    QString listData() const { return readLocalTextFile(file(QStringLiteral("listdata.txt"))).value_or(QString()); }

    QTemporaryDir folder;
};

// What a lock holder process got: "owner", "held" or "unavailable".
QByteArray heldBy(QProcess &holder)
{
    QSignalSpy said(&holder, &QProcess::readyReadStandardOutput);
    while (!holder.canReadLine() && said.wait(30000)) {
    }
    return holder.readLine().trimmed();
}

void serveOfferList(const QString &shop, const QList<int> &ids)
{
    QStringList links;
    for (int id : ids)
        links << detailPageAddress(id);
    servePage(sharedServer(), shopOfferListAddress(shop, 1), shopOfferListHtml({S(u"全部"), links}));
    servePage(sharedServer(), shopOfferListAddress(shop, 2), shopOfferListHtml({S(u"空页"), {}}));
}

void serveItem(int id, int height)
{
    DetailPage item;
    item.title = S(u"监控宝贝") + QString::number(id);
    item.height = height;
    servePage(sharedServer(), detailPageAddress(id), detailPageHtml(item));
}

// A folder with a systemctl of our own that logs its arguments and ends with `code`.
struct StandInSystemctl
{
    explicit StandInSystemctl(int code) { exitWith(code); }
    void exitWith(int code)
    {
        const QString script = QDir(bin.path()).filePath(QStringLiteral("systemctl"));
        writeBytes(script, QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1'\necho 'Failed to connect to bus: No medium found' >&2\nexit %2\n")
                               .arg(calls(), QString::number(code))
                               .toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString calls() const { return QDir(bin.path()).filePath(QStringLiteral("calls")); }
    QStringList callLines() const { return QString::fromUtf8(readBytes(calls())).split(u'\n', Qt::SkipEmptyParts); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), bin.path() + QStringLiteral(":") + qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        return env;
    }
    QString unitFolder() const { return QDir(config.path()).filePath(QStringLiteral("systemd/user")); }

    QTemporaryDir bin;
    QTemporaryDir config;
};

} // namespace

TEST_F(WatchRunnerTest, ACheckKilledWhileCollectingLosesNothingAndTheNextCheckCollectsTheRestAsNew)
{
    const QList<int> ids{1201, 1202, 1203};
    struct Row
    {
        const char *name;
        QList<int> heights;   // long enough to be scrolling when the signal comes
        const char16_t *killAt;
        QString pending;      // the pending list after the kill
        int downloaded;
    };
    const QString top = S(u"|[上次软件退出未采集完成]\r\n");
    const QList<Row> rows{
        {"the first item under way", {30000, 30000, 30000}, u"killshop#1采集中:图片地址分析中..._",
         S(u"killshop#1|") + detailPageAddress(1201) + top + S(u"killshop#2|") + detailPageAddress(1202) + S(u"\r\nkillshop#3|")
             + detailPageAddress(1203) + S(u"\r\n"),
         0},
        // The first one collected already: still new at the next check, never back on sale.
        {"the second item under way", {2000, 30000, 30000}, u"killshop#2采集中:图片地址分析中..._",
         S(u"killshop#2|") + detailPageAddress(1202) + top + S(u"killshop#3|") + detailPageAddress(1203) + S(u"\r\n"), 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        writeLocalTextFile(file(QStringLiteral("listdata.txt")),
                           QStringLiteral("<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"));
        for (qsizetype i = 0; i < ids.size(); ++i)
            serveItem(ids.at(i), row.heights.at(i));
        serveOfferList(S(u"killshop"), ids);
        // Watched since it was empty: all three are new.
        WatchedShop shop;
        shop.address = S(u"http://killshop.zorvane.com");
        shop.name = S(u"killshop");
        shop.added = shop.lastCheck = QDateTime(QDate(2026, 3, 1), QTime(9, 0));
        const QString watchFile = file(WatchList::fileName());
        ASSERT_TRUE(writeLocalTextFile(watchFile, WatchList::format({shop})));
        {
            RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), common({QStringLiteral("--watch"), QStringLiteral("--fast")}));
            ASSERT_TRUE(waitUntil([&] { return runner.output.contains(S(row.killAt)); }, 120000)) << runner.output.toStdString();
            ::kill(pid_t(runner.process.processId()), SIGKILL);
            ASSERT_TRUE(runner.waitForExit());
        }
        // Both files whole: the watch file's record as it was, with what the check queued; the new items pending,
        // the one under way on top with its marker.
        const QList<WatchedShop> killed = WatchList(folder.path()).shops();
        ASSERT_EQ(killed.size(), 1);
        EXPECT_EQ(killed[0].lastCheck, shop.lastCheck);
        EXPECT_TRUE(killed[0].items.isEmpty());
        EXPECT_EQ(killed[0].queued.size(), 3);
        EXPECT_TRUE(listData().startsWith(S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n") + row.pending + S(u"<AlreadyDownedList>\r\n")))
            << listData().toStdString();
        EXPECT_EQ(listData().count(S(u"|") + detailPageAddress(1201) + S(u"\r\n")), row.downloaded);

        for (int id : ids)
            serveItem(id, 2000);
        RunnerProcess again(QStringLiteral(ZORVANE_BATCH_EXE), common({QStringLiteral("--watch"), QStringLiteral("--fast"),
                                                                       QStringLiteral("--collectors"), QStringLiteral("2")}));
        ASSERT_TRUE(again.waitForExit(180000));
        EXPECT_EQ(again.process.exitCode(), 0) << again.output.toStdString();
        // Each once: nothing queued twice, nothing lost.
        EXPECT_TRUE(listData().startsWith(S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n"))) << listData().toStdString();
        for (int id : ids)
            EXPECT_EQ(listData().count(S(u"|") + detailPageAddress(id) + S(u"\r\n")), 1) << id;
        EXPECT_TRUE(again.output.contains(S(u"无法发送桌面通知,原因:没有桌面会话总线(D-Bus),无法连接\n")))
            << "no session bus: said in the user's words, and the check went on";
        const QList<WatchedShop> after = WatchList(folder.path()).shops();
        ASSERT_EQ(after.size(), 1);
        EXPECT_EQ(after[0].items.size(), 3);
        EXPECT_EQ(after[0].lastNew, 3);
        EXPECT_TRUE(after[0].queued.isEmpty());
        const QString record = readLocalTextFile(QDir(folder.path()).filePath(ChangeRecord::fileName())).value_or(QString());
        EXPECT_TRUE(record.contains(S(u"新宝贝3个(已采集3个),下架0个\r\n"))) << record.toStdString();
        QFile::remove(QDir(folder.path()).filePath(ChangeRecord::fileName()));
    }
}

TEST_F(WatchRunnerTest, ACheckFindingTheListsKeptIsHandedToTheirKeeperAndTheRunnerEndsQuietly)
{
    // The lock file names the program holding it: a copy of the lock holder under the window's name.
    QTemporaryDir bin;
    const QString window = QDir(bin.path()).filePath(ListsLock::windowProgram());
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZORVANE_LOCK_HOLDER), window));
    QProcess holder;
    holder.start(window, {folder.path()});
    ASSERT_EQ(heldBy(holder), QByteArray("owner"));
    WatchHandover handover(folder.path());
    QSignalSpy requested(&handover, &WatchHandover::requested);
    RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), common({QStringLiteral("--watch")}));
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 0);
    EXPECT_EQ(runner.output.trimmed(), S(u"本程序窗口正在使用下载列表,店铺上新检查交给窗口进行"));
    ASSERT_TRUE(requested.size() == 1 || requested.wait(30000));
    EXPECT_FALSE(QFile::exists(file(WatchHandover::fileName()))) << "taken once";
    // A plain run is still refused as before.
    RunnerProcess plain(QStringLiteral(ZORVANE_BATCH_EXE), common({}));
    ASSERT_TRUE(plain.waitForExit());
    EXPECT_EQ(plain.process.exitCode(), 5);
    holder.closeWriteChannel();
    EXPECT_TRUE(holder.waitForFinished(30000));
}

TEST_F(WatchRunnerTest, ACheckFindingAnotherRunnersLockWaitsForItWithinItsBoundAndNeverHandsOverToIt)
{
    QProcess holder;
    holder.start(QStringLiteral(ZORVANE_LOCK_HOLDER), {folder.path()});
    ASSERT_EQ(heldBy(holder), QByteArray("owner"));
    const QString waiting = S(u"另一个本程序(进程%1,主机%2)正在使用下载列表,店铺上新检查等它结束,最多等")
                                .arg(holder.processId())
                                .arg(QSysInfo::machineHostName());
    {
        RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), common({QStringLiteral("--watch"), QStringLiteral("--lock-wait"), QStringLiteral("3")}));
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), 5);
        EXPECT_EQ(runner.output.trimmed(), waiting + S(u"3秒"));
        EXPECT_TRUE(QString::fromLocal8Bit(runner.process.readAllStandardError())
                        .contains(S(u"\n等了3秒,另一个本程序仍在使用下载列表,本次店铺上新检查没有进行。")));
        EXPECT_FALSE(QFile::exists(file(WatchHandover::fileName()))) << "no window to hand over to";
    }
    // The other run ends while the check waits: the check goes on.
    RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), common({QStringLiteral("--watch")}));
    ASSERT_TRUE(waitUntil([&] { return runner.output.contains(waiting + S(u"5分钟")); })) << runner.output.toStdString();
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(30000));
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 0) << runner.output.toStdString();
    EXPECT_TRUE(runner.output.contains(S(u"店铺上新检查开始:0个监控店铺")));
}

TEST_F(WatchRunnerTest, TheListCommandsSayWhatTheyDidAndExitAccordingly)
{
    struct Step
    {
        QStringList arguments;
        int exitCode;
        QString printed;
    };
    const QList<Step> steps{
        // Nothing watched yet: a check of no shop ends at once.
        {{QStringLiteral("--watch")}, 0, QString()},
        {{QStringLiteral("--watch-add"), S(u"http://listshop.zorvane.com/")}, 0,
         S(u"已加入店铺上新监控:listshop http://listshop.zorvane.com,下次检查记录现有宝贝,之后采集新宝贝")},
        {{QStringLiteral("--watch-add"), S(u"HTTPS://ListShop.zorvane.com"), QStringLiteral("--with-existing")}, 0,
         S(u"店铺listshop已在监控中:http://listshop.zorvane.com")},
        {{QStringLiteral("--watch-add"), S(u"http://other.zorvane.com"), QStringLiteral("--with-existing")}, 0,
         S(u"已加入店铺上新监控:other http://other.zorvane.com,下次检查采集店铺现有宝贝")},
        {{QStringLiteral("--watch-remove"), S(u"http://nothere.zorvane.com")}, 1, S(u"该店铺不在监控中:http://nothere.zorvane.com")},
        {{QStringLiteral("--watch-remove"), S(u"https://other.zorvane.com/")}, 0, S(u"已移除店铺上新监控:other http://other.zorvane.com")},
        {{QStringLiteral("--watch-schedule"), QStringLiteral("weekly")}, 1, QString()},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.arguments.join(u' ').toStdString());
        RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), common(step.arguments));
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process.exitCode(), step.exitCode);
        if (!step.printed.isEmpty()) {
            const QString printed = runner.output + QString::fromLocal8Bit(runner.process.readAllStandardError());
            EXPECT_EQ(printed.trimmed(), step.printed);
        }
    }
    RunnerProcess list(QStringLiteral(ZORVANE_BATCH_EXE), common({QStringLiteral("--watch-list")}));
    ASSERT_TRUE(list.waitForExit());
    const QStringList lines = list.output.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(S(u"listshop\thttp://listshop.zorvane.com\t加入:")));
    EXPECT_TRUE(lines[0].endsWith(S(u"\t上次检查:未检查\t宝贝:0\t新宝贝:0\t下架:0\t正常")));
}

TEST_F(WatchRunnerTest, TheScheduleWritesUnitsThatSystemdAcceptsAndTurningItOffRemovesThem)
{
    // A program folder whose path needs quoting: a blank, Chinese, systemd's specifier sign.
    const QString odd = QDir(folder.path()).filePath(S(u"程序 目录%h"));
    ASSERT_TRUE(QDir().mkpath(odd));
    StandInSystemctl systemctl(0);
    RunnerProcess on(QStringLiteral(ZORVANE_BATCH_EXE),
                     {QStringLiteral("--program-folder"), odd, QStringLiteral("--watch-schedule"), QStringLiteral("daily"),
                      QStringLiteral("07:05")},
                     systemctl.environment());
    ASSERT_TRUE(on.waitForExit());
    EXPECT_EQ(on.process.exitCode(), 0) << on.output.toStdString();
    const QString unit = SystemdUserTimer::unitNameFor(odd);
    EXPECT_EQ(systemctl.callLines(), (QStringList{QStringLiteral("--user daemon-reload"),
                                                  QStringLiteral("--user enable ") + unit + QStringLiteral(".timer"),
                                                  QStringLiteral("--user restart ") + unit + QStringLiteral(".timer")}));
    // Read back.
    const QString timerPath = QDir(systemctl.unitFolder()).filePath(unit + QStringLiteral(".timer"));
    EXPECT_EQ(SystemdUserTimer::readTime(timerPath), QTime(7, 5));
    const QString timer = QString::fromUtf8(readBytes(timerPath));
    for (const char *line : {"OnCalendar=*-*-* 07:05:00\n", "Persistent=true\n", "RandomizedDelaySec=10min\n", "WantedBy=timers.target\n"})
        EXPECT_TRUE(timer.contains(QLatin1String(line))) << line;
    const QString service = QString::fromUtf8(readBytes(QDir(systemctl.unitFolder()).filePath(unit + QStringLiteral(".service"))));
    EXPECT_TRUE(service.contains(QStringLiteral("ExecStart=\"%1\" \"--program-folder\" \"%2\" \"--watch\"\n")
                                     .arg(QStringLiteral(ZORVANE_BATCH_EXE), QString(odd).replace(u'%', QStringLiteral("%%")))))
        << service.toStdString();
    // A check that hangs does not block the next day's.
    EXPECT_TRUE(service.contains(QStringLiteral("TimeoutStartSec=6h\n")));
    EXPECT_TRUE(readLocalTextFile(QDir(odd).filePath(QStringLiteral("config.ini")))->contains(S(u"WatchScheduleBy=systemd")));

    // systemd's own reading of both units, as a user manager would read them.
    QTemporaryDir runtime;
    QProcess verify;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    verify.setProcessEnvironment(env);
    verify.setProcessChannelMode(QProcess::MergedChannels);
    verify.setWorkingDirectory(systemctl.unitFolder());
    verify.start(QStringLiteral("systemd-analyze"), {QStringLiteral("verify"), QStringLiteral("--user"),
                                                     QStringLiteral("./") + unit + QStringLiteral(".timer"),
                                                     QStringLiteral("./") + unit + QStringLiteral(".service")});
    QSignalSpy verified(&verify, &QProcess::finished);
    ASSERT_TRUE(verified.wait(60000));
    EXPECT_EQ(verify.exitCode(), 0);
    EXPECT_EQ(QString::fromLocal8Bit(verify.readAll()).trimmed(), QString()) << "not even a warning";

    RunnerProcess off(QStringLiteral(ZORVANE_BATCH_EXE),
                      {QStringLiteral("--program-folder"), odd, QStringLiteral("--watch-schedule"), QStringLiteral("off")},
                      systemctl.environment());
    ASSERT_TRUE(off.waitForExit());
    EXPECT_EQ(off.process.exitCode(), 0);
    EXPECT_EQ(systemctl.callLines().mid(3), (QStringList{QStringLiteral("--user disable --now ") + unit + QStringLiteral(".timer"),
                                                         QStringLiteral("--user daemon-reload")}));
    EXPECT_TRUE(QDir(systemctl.unitFolder()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(SystemdUserTimer::readTime(timerPath));
}

TEST_F(WatchRunnerTest, EachProgramFolderKeepsItsOwnUnitsTakesOverItsOldOnesTheDemoTouchesNoneAndAFailedOffSaysWhy)
{
    StandInSystemctl systemctl(0);
    const QString first = file(QStringLiteral("甲")), second = file(QStringLiteral("乙"));
    QDir().mkpath(first);
    QDir().mkpath(second);
    const QDir units(systemctl.unitFolder());
    QDir().mkpath(units.path());
    // The first folder's schedule as an earlier version installed it, under the one old name.
    const QString legacy = SystemdUserTimer::legacyUnitName();
    writeBytes(units.filePath(legacy + QStringLiteral(".service")),
               SystemdUserTimer::serviceText({QStringLiteral(ZORVANE_BATCH_EXE), QStringLiteral("--program-folder"), first,
                                              QStringLiteral("--watch")}, first).toUtf8());
    writeBytes(units.filePath(legacy + QStringLiteral(".timer")), SystemdUserTimer::timerText(QTime(6, 0)).toUtf8());
    struct Ran
    {
        int code;
        QString said;
        QStringList calls; // systemctl's, during the run
    };
    const auto run = [&](const QStringList &arguments) {
        const qsizetype before = systemctl.callLines().size();
        RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE), arguments, systemctl.environment());
        EXPECT_TRUE(runner.waitForExit());
        const QString said = runner.output + QString::fromLocal8Bit(runner.process.readAllStandardError());
        return Ran{runner.process.exitCode(), said, systemctl.callLines().mid(before)};
    };
    const auto folderRun = [&](const QString &folder, const QStringList &more) {
        return run(QStringList{QStringLiteral("--program-folder"), folder} + more);
    };
    const QString one = SystemdUserTimer::unitNameFor(first), two = SystemdUserTimer::unitNameFor(second);
    ASSERT_NE(one, two);
    const auto unitFiles = [&] { return units.entryList(QDir::Files, QDir::Name); };
    const auto both = [](const QString &name) { return QStringList{name + QStringLiteral(".service"), name + QStringLiteral(".timer")}; };
    const auto sorted = [](QStringList list) { list.sort(); return list; };

    // The second folder: units of its own; the old units run the first folder's checks and stay.
    Ran ran = folderRun(second, {QStringLiteral("--watch-schedule"), QStringLiteral("daily 07:00")});
    EXPECT_EQ(ran.code, 0) << ran.said.toStdString();
    EXPECT_EQ(ran.calls, (QStringList{QStringLiteral("--user daemon-reload"), QStringLiteral("--user enable ") + two + QStringLiteral(".timer"),
                                  QStringLiteral("--user restart ") + two + QStringLiteral(".timer")}));
    EXPECT_EQ(unitFiles(), sorted(both(legacy) + both(two)));
    // The first folder takes its old units over: disabled and removed, never run twice a day.
    ran = folderRun(first, {QStringLiteral("--watch-schedule"), QStringLiteral("daily 08:00")});
    EXPECT_EQ(ran.code, 0) << ran.said.toStdString();
    EXPECT_EQ(ran.calls, (QStringList{QStringLiteral("--user disable --now ") + legacy + QStringLiteral(".timer"),
                                  QStringLiteral("--user daemon-reload"), QStringLiteral("--user enable ") + one + QStringLiteral(".timer"),
                                  QStringLiteral("--user restart ") + one + QStringLiteral(".timer")}));
    EXPECT_EQ(unitFiles(), sorted(both(one) + both(two)));
    // Off in the first folder leaves the second's alone.
    ran = folderRun(first, {QStringLiteral("--watch-schedule"), QStringLiteral("off")});
    EXPECT_EQ(ran.code, 0) << ran.said.toStdString();
    EXPECT_EQ(ran.calls, (QStringList{QStringLiteral("--user disable --now ") + one + QStringLiteral(".timer"),
                                  QStringLiteral("--user daemon-reload")}));
    EXPECT_EQ(unitFiles(), both(two));
    // The demo's schedule is its window's only.
    ran = run({QStringLiteral("--demo"), QStringLiteral("--watch-schedule"), QStringLiteral("daily 09:00")});
    EXPECT_EQ(ran.code, 8);
    EXPECT_TRUE(ran.said.contains(S(u"无法使用系统定时器(systemctl --user):演示模式不使用系统定时器"))) << ran.said.toStdString();
    EXPECT_EQ(ran.calls, QStringList());
    EXPECT_EQ(unitFiles(), both(two));
    // Off when systemctl cannot disable the timer: said in its words, and the schedule stays.
    systemctl.exitWith(1);
    ran = folderRun(second, {QStringLiteral("--watch-schedule"), QStringLiteral("off")});
    EXPECT_EQ(ran.code, 1);
    EXPECT_TRUE(ran.said.contains(S(u"关闭定时检查失败,原因:systemctl --user disable --now ") + two
                              + S(u".timer 失败(退出码1): Failed to connect to bus: No medium found")))
        << ran.said.toStdString();
    EXPECT_EQ(unitFiles(), both(two));
    EXPECT_TRUE(readLocalTextFile(QDir(second).filePath(QStringLiteral("config.ini")))->contains(S(u"WatchSchedule=07:00\r\n")));
}

TEST_F(WatchRunnerTest, WhereSystemctlFailsTheScheduleFallsBackToTheWindowAndSaysSo)
{
    StandInSystemctl failing(1);
    RunnerProcess runner(QStringLiteral(ZORVANE_BATCH_EXE),
                         common({QStringLiteral("--watch-schedule"), QStringLiteral("daily 21:40")}), failing.environment());
    ASSERT_TRUE(runner.waitForExit());
    EXPECT_EQ(runner.process.exitCode(), 8);
    EXPECT_TRUE(runner.output.contains(S(u"无法使用系统定时器(systemctl --user):systemctl --user daemon-reload 失败(退出码1): "
                                         u"Failed to connect to bus: No medium found")))
        << runner.output.toStdString();
    EXPECT_TRUE(runner.output.contains(S(u"店铺上新定时检查改为:本程序窗口打开时每天21:40检查,窗口关闭时不检查")));
    EXPECT_EQ(failing.callLines(), QStringList{QStringLiteral("--user daemon-reload")});
    EXPECT_TRUE(QDir(failing.unitFolder()).entryList(QDir::Files).isEmpty()) << "no unit left that nothing enabled";
    const QString config = readLocalTextFile(file(QStringLiteral("config.ini"))).value_or(QString());
    EXPECT_TRUE(config.contains(S(u"WatchSchedule=21:40\r\n")));
    EXPECT_TRUE(config.contains(S(u"WatchScheduleBy=window\r\n")));
}
