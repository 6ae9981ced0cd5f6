// The window at this run's display scaling (QT_SCALE_FACTOR, set per run by
// the build) on a 1920×1080 screen (960×540 at 2), from the least size the
// window allows up.
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"
#include "window_checks.h"

#include "shell/window/batch/batch_panel.h"

#include <QSpinBox>

#include <functional>
#include <QTest>

class ScalingTest : public WindowTest
{
protected:
    QStringList pendingLines;
};

TEST_F(ScalingTest, EveryControlInsideTheWindowWithItsTextWhole)
{
    DetailPage item; // long enough to keep the indicator going
    item.height = 60000;
    servePage(sharedServer(), detailPageAddress(471), detailPageHtml(item));
    writeConfig(S(u"isAuto=False\r\nPicOutPutPath=") + folder.path() + S(u"\r\n"));
    open(true);
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
    EXPECT_EQ(form->devicePixelRatioF(), scale);
    const QSize screen = form->screen()->availableGeometry().size();
    EXPECT_EQ(screen, QSize(qRound(1920 / scale), qRound(1080 / scale)));
    // Room left for a title bar and a desktop's panel at 960×540.
    EXPECT_LE(form->minimumWidth(), screen.width() - 20);
    EXPECT_LE(form->minimumHeight(), screen.height() - 60);
    const QSize opened = form->size();
    pending().append(S(u"S-1|") + detailPageAddress(471));
    form->ShowListCmd_Click();
    click("StartPickCmd");
    ASSERT_TRUE(waitUntil([&] { return control<QLabel>("ProDenLbl")->text().count(u'\n') == 5; })); // "采集中..."
    for (const char *button : {"ASBabyUrlAlaCmd", "FindADLCmd", "EditBabyNumCmd", "DelUrlCmd"})
        click(button); // the inline boxes open, a notice stands in the strip
    for (const QSize size : {form->minimumSize(), opened, QSize(1024, 640), QSize(1366, 768), QSize(1600, 1000)}) {
        form->resize(size);
        EXPECT_EQ(layoutFaults(*form), QStringList()) << size.width() << "×" << size.height();
        EXPECT_FALSE(control<QLabel>("ProgressNotice")->text().contains(u'…')) << size.width();
    }
    click("StopPickCmd");
}

// Three items with long item numbers under way in the narrowest window:
// each keeps the end of its number that tells them apart and the beginning
// of its step, and the line ends before the counts. 同时采集 is said once, at 启动.
TEST_F(ScalingTest, TheStripShowsThreeItemsUnderWayAtTheLeastWidth)
{
    DetailPage item;
    item.height = 60000;
    for (int n = 481; n <= 483; ++n) {
        servePage(sharedServer(), detailPageAddress(n), detailPageHtml(item));
        pendingLines << S(u"宝贝名字很长很长的连衣裙%1|").arg(n) + detailPageAddress(n);
    }
    writeConfig(S(u"isAuto=False\r\nPicOutPutPath=") + folder.path() + S(u"\r\n"));
    open(true);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->resize(form->minimumSize());
    for (const QString &line : std::as_const(pendingLines))
        pending().append(line);
    form->ShowListCmd_Click();
    auto *collectors = control<QSpinBox>("CollectorsBox");
    collectors->setFocus();
    QTest::keyClick(collectors, Qt::Key_Up);
    QTest::keyClick(collectors, Qt::Key_Up);
    QTest::keyClick(collectors, Qt::Key_Return);
    EXPECT_EQ(core->batch().collectors(), 3);
    EXPECT_FALSE(log().join(u'\n').contains(S(u"同时采集"))) << "not at every step of the box";
    click("StartPickCmd");

    auto *line = control<QLabel>("ProgressItem");
    const QString lead = S(u"3个宝贝采集中: ");
    // Once every item is read from its page, the longest of the steps.
    ASSERT_TRUE(waitUntil([&] { return line->text().startsWith(lead) && line->toolTip().count(S(u"图片地址分析中")) == 3; },
                          60000)) << line->text().toStdString();
    EXPECT_EQ(log().count(S(u"同时采集3个宝贝.")), 1);
    EXPECT_LE(line->geometry().right(), control<QLabel>("ProgressCounts")->geometry().left());
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->contentsRect().width());
    QStringList ends;
    for (const QString &part : line->text().mid(lead.size()).split(QStringLiteral(" · "))) {
        ends << part.section(S(u"  "), 0, 0).right(4);
        EXPECT_GE(part.section(S(u"  "), 1).remove(u'…').size(), 2) << part.toStdString() << ": the step begun";
    }
    ends.sort();
    EXPECT_EQ(ends, (QStringList{S(u"裙481"), S(u"裙482"), S(u"裙483")})) << line->text().toStdString();
    EXPECT_TRUE(line->toolTip().startsWith(lead)) << "the whole line on hovering";
    click("StopPickCmd");
}

// The program's small windows on a laptop's screen at this scaling: each opens
// over the main window, no larger than it.
TEST_F(ScalingTest, TheSmallWindowsOpenInsideTheMainWindow)
{
    writeConfig(S(u"isAuto=False\r\n"));
    open(true);
    form->ShowListCmd_Click();
    for (const auto &[name, show] : QList<std::pair<const char *, std::function<void()>>>{
             {"LogWindow", [&] { form->showLogWindow(); }}, {"WatchWindow", [&] { form->showWatchWindow(); }},
             {"skin", [&] { form->Toolbar1_ButtonClick(8); }}, {"linka", [&] { form->Toolbar1_ButtonClick(5); }},
             {"PreviewWindow", [&] { form->batchPanel().PreviewCmd_Click(); }}}) {
        show();
        auto *shown = form->findChild<QWidget *>(QLatin1String(name));
        ASSERT_TRUE(shown && shown->isVisible()) << name;
        EXPECT_TRUE(form->geometry().contains(shown->frameGeometry()))
            << name << " " << shown->width() << "×" << shown->height() << " over " << form->width() << "×" << form->height();
        shown->close();
    }
}
