// The window at this run's display scaling (QT_SCALE_FACTOR, set per run by
// the build) and at window sizes from 1024×640 up.
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"
#include "window_checks.h"

using ScalingTest = WindowTest;

TEST_F(ScalingTest, EveryControlInsideTheWindowWithItsTextWhole)
{
    DetailPage item; // long enough to keep the indicator going
    item.height = 60000;
    servePage(sharedServer(), detailPageAddress(471), detailPageHtml(item));
    writeConfig(S(u"isAuto=False\r\nPicOutPutPath=") + folder.path() + S(u"\r\n"));
    open(true);
    EXPECT_EQ(form->devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble());
    pending().append(S(u"S-1|") + detailPageAddress(471));
    form->ShowListCmd_Click();
    click("StartPickCmd");
    ASSERT_TRUE(waitUntil([&] { return control<QLabel>("ProDenLbl")->text().count(u'\n') == 5; })); // "采集中..."
    for (const char *button : {"ASBabyUrlAlaCmd", "FindADLCmd", "EditBabyNumCmd", "DelUrlCmd"})
        click(button); // the inline boxes open, a notice stands in the strip
    for (const QSize size : {QSize(1024, 640), QSize(1280, 720), QSize(1366, 768), QSize(1600, 1000)}) {
        form->resize(size);
        EXPECT_EQ(layoutFaults(*form), QStringList()) << size.width();
        EXPECT_FALSE(control<QLabel>("ProgressNotice")->text().contains(u'…')) << size.width();
    }
    click("StopPickCmd");
}
