// A verification wall in the middle of a run: the window pauses, shows the
// check page in a tab, and 启动 goes on with the same item once it is passed.
#include "batch_fixture.h"
#include "verification_wall.h"
#include "window_fixture.h"

#include "lists/item_lines.h"

#include <QTabBar>

TEST_F(WindowTest, AVerificationWallPausesTheRunAndShowsTheCheckUntilItIsPassed)
{
    VerificationWall wall(sharedServer(), 2);
    QStringList lines;
    for (int id = 721; id <= 724; ++id) {
        wall.serveItem(sharedServer(), id, detailPageHtml(servedItem(id, S(u"墙内宝贝") + QString::number(id), {})));
        lines << QStringLiteral("V-%1|%2").arg(id).arg(detailPageAddress(id));
    }
    open();
    core->settings().setSaveFolder(folder.path());
    for (const QString &line : lines)
        pending().append(line);
    form->ShowListCmd_Click();
    QSignalSpy stopped(&core->batch(), &BatchCycle::stopped);
    click("StartPickCmd");
    ASSERT_TRUE(stopped.wait(120000));

    // Two items collected, the third back on top, nothing thrown into the address box.
    EXPECT_EQ(downloaded().count(), 2);
    EXPECT_EQ(pending().entries(), lines.mid(2));
    EXPECT_FALSE(core->lists().AddUrlText().contains(QStringLiteral("V-723")));
    EXPECT_TRUE(log().contains(S(u"V-723采集中:Zorvane要求验证,请在打开的页面中完成验证后点击启动继续采集_")
                               + detailPageAddress(723)));
    EXPECT_TRUE(control<QPushButton>("StartPickCmd")->isEnabled());
    // The check in a tab of its own, in view.
    EXPECT_EQ(strip()->count(), 2);
    EXPECT_FALSE(control<QWidget>("batModeFrame")->isVisible());
    QWebEngineView *check = current();
    ASSERT_TRUE(check);
    ASSERT_TRUE(waitUntil([&] { return check->url().toString().startsWith(VerificationWall::checkAddress()); }));
    ASSERT_TRUE(waitUntilDrawn(check));
    check->page()->runJavaScript(QStringLiteral("document.getElementById('pass').click()"));
    ASSERT_TRUE(waitUntil([&] { return wall.passed(); }));

    QSignalSpy idle(&core->batch(), &BatchCycle::idle);
    click("StartPickCmd");
    ASSERT_TRUE(idle.wait(120000));
    ASSERT_EQ(downloaded().count(), 4);
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(2)).itemNo, QStringLiteral("V-723"));
    EXPECT_EQ(DownloadedLine::parse(downloaded().at(3)).itemNo, QStringLiteral("V-724"));
}
