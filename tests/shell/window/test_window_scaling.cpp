// The window at this run's display scaling (QT_SCALE_FACTOR, set per run by
// the build) on a 1920×1080 screen (960×540 at 2), from the least size the
// window allows up.
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"
#include "window_checks.h"

#include <QSpinBox>
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

// Four items under way in the narrowest window: every item keeps a part of
// the line, shortened with "…", and the line ends before the counts. The
// number typed into 同时采集 is logged once.
TEST_F(ScalingTest, TheStripShowsFourItemsUnderWayAtTheLeastWidth)
{
    DetailPage item;
    item.height = 60000;
    for (int n = 481; n <= 484; ++n) {
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
    QTest::keyClick(collectors, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(collectors, QStringLiteral("4"));
    QTest::keyClick(collectors, Qt::Key_Return);
    EXPECT_EQ(log().count(S(u"同时采集4个宝贝,从下一个宝贝起生效.")), 1);
    click("StartPickCmd");

    auto *line = control<QLabel>("ProgressItem");
    const auto *counts = control<QLabel>("ProgressCounts");
    const QString lead = S(u"4个宝贝采集中: ");
    ASSERT_TRUE(waitUntil([&] { return line->text().startsWith(lead); }, 60000)) << line->text().toStdString();
    EXPECT_LE(line->geometry().right(), counts->geometry().left());
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->contentsRect().width());
    const QStringList parts = line->text().mid(lead.size()).split(QStringLiteral(" · "));
    ASSERT_EQ(parts.size(), 4) << line->text().toStdString();
    for (const QString &part : parts) {
        EXPECT_TRUE(part.startsWith(u'宝') || part == u"…") << part.toStdString();
        EXPECT_TRUE(part.endsWith(u'…')) << part.toStdString() << " whole in so narrow a window";
    }
    EXPECT_TRUE(line->toolTip().startsWith(lead)) << "the whole line on hovering";
    click("StopPickCmd");
}
