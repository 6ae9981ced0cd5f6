// The 店铺上新 window in the program's window, at this run's display scaling
// (QT_SCALE_FACTOR, set per run by the build): opened from the 文件 menu, the
// batch panel and a notification's click; used from the keyboard alone; every
// control inside the window with its text whole; the schedule through
// stand-in systemctl programs on PATH.
#include "window_fixture.h"
#include "test_files.h"

#include "platform/desktop/notifier.h"
#include "platform/desktop/systemd_user_timer.h"
#include "shell/window/watch/watch_window.h"
#include "shop/watch_list.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStyleOptionButton>
#include <QTimeEdit>
#include <QTreeWidget>

namespace {

class WatchWindowTest : public WindowTest
{
protected:
    WatchWindow *window() const { return form->watchWindow(); }
    template <typename W = QWidget> W *part(const char *name) const
    {
        W *w = window()->findChild<W *>(QLatin1String(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    QStringList shopNames() const
    {
        QStringList names;
        auto *list = part<QTreeWidget>("WatchShopList");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            names << list->topLevelItem(i)->text(0);
        return names;
    }
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), modifiers);
    }
    // Puts a systemctl that ends with `code` first on PATH.
    void standInSystemctl(int code)
    {
        const QString script = QDir(bin.path()).filePath(QStringLiteral("systemctl"));
        writeBytes(script, QStringLiteral("#!/bin/sh\necho 'Failed to connect to bus: No medium found' >&2\nexit %1\n").arg(code).toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!qEnvironmentVariable("PATH").startsWith(bin.path()))
            qputenv("PATH", (bin.path() + QStringLiteral(":") + qEnvironmentVariable("PATH")).toLocal8Bit());
    }

    QTemporaryDir bin;
};

// What a reader would miss: a control outside the window, a text cut, two controls over each other.
QStringList readingFaults(const QWidget &window)
{
    QStringList faults;
    const QList<QWidget *> all = window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (const QWidget *w : all) {
        if (!w->isVisible())
            continue;
        if (!window.rect().contains(w->geometry()))
            faults << w->objectName() + QStringLiteral(" outside");
        QStyleOptionButton option;
        option.initFrom(w);
        const auto *button = qobject_cast<const QPushButton *>(w);
        const auto *box = qobject_cast<const QCheckBox *>(w);
        const auto *label = qobject_cast<const QLabel *>(w);
        const QString text = button ? button->text().remove(u'&') : box ? box->text().remove(u'&') : label && !label->wordWrap() ? label->text().remove(u'&') : QString();
        const QRect room = button ? w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w)
            : box                 ? w->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, w)
                                  : w->contentsRect();
        if (!text.isEmpty() && w->fontMetrics().horizontalAdvance(text) > room.width())
            faults << w->objectName() + u' ' + text + QStringLiteral(" cut");
        for (const QWidget *other : all.mid(all.indexOf(w) + 1)) {
            if (other->isVisible() && w->geometry().intersects(other->geometry()))
                faults << w->objectName() + QStringLiteral(" over ") + other->objectName();
        }
    }
    return faults;
}

} // namespace

TEST_F(WatchWindowTest, OpensFromTheFileMenuTheBatchPanelAndANotificationsClick)
{
    open();
    QAction *action = form->findChild<QAction *>(QStringLiteral("watchShops"));
    ASSERT_TRUE(action);
    EXPECT_EQ(action->text(), S(u"店铺上新…"));
    action->trigger();
    ASSERT_TRUE(window());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->windowTitle(), S(u"店铺上新"));
    window()->close();
    form->ShowListCmd_Click();
    click("WatchShopsCmd");
    EXPECT_TRUE(window()->isVisible());
    window()->close();
    emit core->notifier().activated();
    EXPECT_TRUE(window()->isVisible());
    // Esc closes it.
    QApplication::setActiveWindow(window());
    part<QLineEdit>("WatchAddressText")->setFocus();
    key(Qt::Key_Escape);
    EXPECT_FALSE(window()->isVisible());
}

TEST_F(WatchWindowTest, AddingAndRemovingWithTheKeyboardAlone)
{
    open();
    addressBar()->setEditText(S(u"http://PageShop.zorvane.com/page/offerlist.htm?pageNum=2"));
    form->showWatchWindow();
    window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    auto *address = part<QLineEdit>("WatchAddressText");
    address->setFocus();
    // Typed, Enter: watched, the box empty again.
    QTest::keyClicks(address, S(u"http://kbshop.zorvane.com"));
    key(Qt::Key_Return);
    EXPECT_EQ(shopNames(), QStringList{S(u"kbshop")});
    EXPECT_EQ(address->text(), QString());
    // The shop of the page in the address bar, to collect what it holds: Alt+P, Alt+E, Alt+A
    // (a mnemonic clicks its button a moment later).
    key(Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return address->text() == S(u"http://pageshop.zorvane.com"); })) << address->text().toStdString();
    key(Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return part<QCheckBox>("WithExistingChk")->isChecked(); }));
    key(Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return shopNames() == QStringList{S(u"kbshop"), S(u"pageshop")}; }));
    EXPECT_TRUE(WatchList(folder.path()).shops().at(1).withExisting);
    // Once only, however written.
    address->setFocus();
    QTest::keyClicks(address, S(u"HTTPS://KBShop.zorvane.com/"));
    key(Qt::Key_Return);
    EXPECT_EQ(shopNames().size(), 2);
    EXPECT_EQ(log().last(), S(u"店铺kbshop已在监控中:http://kbshop.zorvane.com"));
    EXPECT_EQ(part<QTreeWidget>("WatchShopList")->topLevelItem(0)->text(7), S(u"等待首次检查"));

    // Tab walks every control in reading order, and comes round again.
    address->setFocus();
    QStringList order{address->objectName()};
    for (int i = 0; i < 11; ++i) {
        key(Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order, (QStringList{S(u"WatchAddressText"), S(u"CurrentShopCmd"), S(u"WithExistingChk"), S(u"AddWatchCmd"),
                                  S(u"WatchShopList"), S(u"RemoveWatchCmd"), S(u"CheckNowCmd"), S(u"DailyChk"),
                                  // Tab goes from the hours to the minutes first.
                                  S(u"DailyTime"), S(u"DailyTime"), S(u"ApplyScheduleCmd"), S(u"WatchRecordText")}));

    // Delete on the list removes the current shop.
    auto *list = part<QTreeWidget>("WatchShopList");
    list->setFocus();
    list->setCurrentItem(list->topLevelItem(0));
    key(Qt::Key_Delete);
    EXPECT_EQ(shopNames(), QStringList{S(u"pageshop")});
    EXPECT_EQ(WatchList(folder.path()).shops().size(), 1);
    // A shop added by the runner meanwhile shows when the window opens again.
    QString message;
    WatchList(folder.path()).add(S(u"http://runnershop.zorvane.com"), false, QDateTime::currentDateTime(), &message);
    window()->close();
    form->showWatchWindow();
    EXPECT_EQ(shopNames(), (QStringList{S(u"pageshop"), S(u"runnershop")}));
}

TEST_F(WatchWindowTest, TheScheduleSaysWhoKeepsItAndFallsBackToTheWindowWhereSystemctlFails)
{
    open();
    form->showWatchWindow();
    EXPECT_EQ(part<QLabel>("ScheduleStateLbl")->text(), S(u"现在:关闭"));
    part<QCheckBox>("DailyChk")->setChecked(true);
    part<QTimeEdit>("DailyTime")->setTime(QTime(7, 30));
    QSignalSpy changed(&core->watchSchedule(), &WatchSchedule::changed);
    standInSystemctl(1);
    click("ApplyScheduleCmd");
    ASSERT_TRUE(changed.wait(30000));
    // The window says why, in systemctl's own words, not only the log.
    const QString why = S(u"systemctl --user daemon-reload 失败(退出码1): Failed to connect to bus: No medium found");
    EXPECT_EQ(part<QLabel>("ScheduleStateLbl")->text(), S(u"现在:每天07:30(本窗口打开时检查)\n无法使用系统定时器:") + why);
    EXPECT_TRUE(log().contains(S(u"店铺上新定时检查改为:本程序窗口打开时每天07:30检查,窗口关闭时不检查")));
    EXPECT_EQ(readingFaults(*window()), QStringList());
    standInSystemctl(0);
    click("ApplyScheduleCmd");
    ASSERT_TRUE(changed.wait(30000));
    EXPECT_EQ(part<QLabel>("ScheduleStateLbl")->text(), S(u"现在:每天07:30(系统定时器)"));
    const QString timer = QDir(folder.path()).filePath(QStringLiteral("systemd-user/%1.timer").arg(SystemdUserTimer::unitNameFor(folder.path())));
    EXPECT_TRUE(QFile::exists(timer));
    // Off where systemctl cannot disable the timer: said, and the schedule stays.
    standInSystemctl(1);
    part<QCheckBox>("DailyChk")->setChecked(false);
    click("ApplyScheduleCmd");
    ASSERT_TRUE(changed.wait(30000));
    EXPECT_EQ(part<QLabel>("ScheduleStateLbl")->text(),
              S(u"现在:每天07:30(系统定时器)\n关闭定时检查失败:systemctl --user disable --now ")
                  + SystemdUserTimer::unitNameFor(folder.path()) + S(u".timer 失败(退出码1): Failed to connect to bus: No medium found"));
    EXPECT_TRUE(QFile::exists(timer));
    standInSystemctl(0);
    part<QCheckBox>("DailyChk")->setChecked(false);
    click("ApplyScheduleCmd");
    ASSERT_TRUE(changed.wait(30000));
    EXPECT_EQ(part<QLabel>("ScheduleStateLbl")->text(), S(u"现在:关闭"));
    EXPECT_FALSE(QFile::exists(timer));
}

TEST_F(WatchWindowTest, ReadableAtThisScalingWithLongNamesAndARecord)
{
    open();
    QString message;
    for (const char16_t *shop : {u"http://a-very-long-shop-name-for-reading-checks.zorvane.com", u"http://b.zorvane.com"})
        WatchList(folder.path()).add(S(shop), false, QDateTime::currentDateTime(), &message);
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("店铺上新记录.txt")),
                       S(u"[2026-03-03 09:01:02] 店铺上新检查:1个店铺,0个新宝贝,0个下架,0个店铺无法读取\r\n[店铺] b http://b.zorvane.com 首次检查,记录现有宝贝3个\r\n"));
    form->showWatchWindow();
    EXPECT_EQ(window()->devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    EXPECT_TRUE(part<QPlainTextEdit>("WatchRecordText")->toPlainText().contains(S(u"首次检查,记录现有宝贝3个")));
    // At its own size and at the smallest its layout allows.
    EXPECT_EQ(readingFaults(*window()), QStringList());
    window()->resize(window()->minimumSizeHint());
    QApplication::processEvents();
    EXPECT_EQ(readingFaults(*window()), QStringList());
}
