// What the user reads: the failures standing out in the progress strip, the
// 日志 window with the whole log, and the strip's words at the end of a run.
#include "window_fixture.h"

#include "shell/window/log/log_window.h"
#include "shell/window/batch/progress_strip.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QTextBlock>

namespace {

class WindowLogTest : public WindowTest
{
protected:
    QLabel *notice() const { return control<QLabel>("ProgressNotice"); }
    ProgressStrip *strip() const { return control<ProgressStrip>("ProgressStrip"); }
    // The standard pace's line, every second.
    void logStep(int times)
    {
        for (int i = 0; i < times; ++i)
            core->log().AddMesg(S(u"A-1采集中:图片地址分析中..._http://detail.zorvane.com/offer/1.html"));
    }
};

} // namespace

TEST_F(WindowLogTest, TheLatestFailureStandsOutInTheStripUntilTheNextOrForAWhile)
{
    open();
    EXPECT_FALSE(notice()->isVisible());
    logStep(3);
    EXPECT_FALSE(notice()->isVisible()) << "steps are no failures";
    core->log().AddMesg(S(u"修改宝贝货号5至失败品"));
    EXPECT_FALSE(notice()->isVisible()) << "judged by the message, not with the date in front of it";

    click("DelUrlCmd"); // nothing selected
    logStep(5);
    ASSERT_TRUE(notice()->isVisible());
    EXPECT_TRUE(notice()->text().endsWith(S(u" 删除待下载信息失败,原因:未选择"))) << notice()->text().toStdString();
    EXPECT_EQ(control<QPlainTextEdit>("mesgText")->toPlainText().section(u'\n', 0, 2).count(S(u"失败")), 0)
        << "the log's rows show only the steps by now";

    core->log().AddMesg(S(u"地址栏只能打开http或https网址,未打开:file:///etc/passwd"));
    EXPECT_TRUE(notice()->text().endsWith(S(u" 地址栏只能打开http或https网址,未打开:file:///etc/passwd")));

    strip()->setNoticeDuration(50);
    click("DelCmd");
    EXPECT_TRUE(notice()->text().endsWith(S(u"删除已下载列表失败,原因:未选择")));
    EXPECT_TRUE(waitUntil([&] { return !notice()->isVisible(); }, 10000));
}

TEST_F(WindowLogTest, SeveralItemsUnderWayShareTheStripsLine)
{
    open();
    BatchCycle &batch = core->batch();
    emit batch.stepLogged(S(u"A-1"), S(u"采集中:加载_"), 0);
    EXPECT_EQ(control<QLabel>("ProgressItem")->text(), S(u"正在采集: A-1  加载"));
    emit batch.stepLogged(S(u"A-2"), S(u"采集中:开始下载主图_"), 2);
    EXPECT_EQ(control<QLabel>("ProgressItem")->text(), S(u"2个宝贝采集中: A-1  加载 · A-2  开始下载主图"));
    emit batch.picturesProgressed(1, 4, 0);
    emit batch.picturesProgressed(3, 6, 2);
    EXPECT_EQ(control<QProgressBar>("ProgressPictures")->value(), 4);
    EXPECT_EQ(control<QProgressBar>("ProgressPictures")->maximum(), 10);

    // Two shops' items with one number: cut short, each keeps the end that tells them apart.
    emit batch.stepLogged(S(u"店铺甲#1->ZV-1001"), S(u"采集中:图片地址分析中..._"), 0);
    emit batch.stepLogged(S(u"店铺乙#1->ZV-1001"), S(u"采集中:图片地址分析中..._"), 2);
    auto *line = control<QLabel>("ProgressItem");
    line->resize(line->fontMetrics().horizontalAdvance(S(u"2个宝贝采集中: …甲#1->ZV-1001  图片… · …乙#1->ZV-1001  图片…")) + 6, line->height());
    EXPECT_EQ(line->text(), S(u"2个宝贝采集中: …甲#1->ZV-1001  图片… · …乙#1->ZV-1001  图片…"));
}

TEST_F(WindowLogTest, ADoubleClickOnTheLogOpensEveryKeptLineToSelectSearchAndCopy)
{
    open();
    for (int i = 1; i <= 40; ++i)
        core->log().AddMesg(QStringLiteral("第%1行").arg(i));
    auto *rows = control<QPlainTextEdit>("mesgText");
    QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    auto *window = form->findChild<LogWindow *>(QStringLiteral("LogWindow"));
    ASSERT_TRUE(window);
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), S(u"日志"));
    auto *lines = window->findChild<QPlainTextEdit *>(QStringLiteral("LogText"));
    ASSERT_TRUE(lines);
    QStringList shown = lines->toPlainText().split(u'\n');
    ASSERT_EQ(shown.size(), 40);
    EXPECT_TRUE(shown.first().endsWith(S(u" 第40行")));
    EXPECT_TRUE(shown.last().endsWith(S(u" 第1行")));
    EXPECT_TRUE(lines->isReadOnly());
    EXPECT_TRUE(lines->textInteractionFlags() & Qt::TextSelectableByMouse);

    // It follows the log while open.
    core->log().AddMesg(S(u"第41行"));
    EXPECT_TRUE(lines->toPlainText().section(u'\n', 0, 0).endsWith(S(u" 第41行")));

    // Searched from the top down, going round at the end.
    auto *findText = window->findChild<QLineEdit *>(QStringLiteral("LogFindText"));
    ASSERT_TRUE(findText);
    findText->setText(S(u"第3"));
    QTest::keyClick(findText, Qt::Key_Return);
    EXPECT_EQ(lines->textCursor().block().text().section(u' ', 2), S(u"第39行"));
    QTest::keyClick(findText, Qt::Key_Return);
    EXPECT_EQ(lines->textCursor().block().text().section(u' ', 2), S(u"第38行"));
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(findText, Qt::Key_Return);
    EXPECT_EQ(lines->textCursor().block().text().section(u' ', 2), S(u"第39行"));
    EXPECT_EQ(lines->textCursor().selectedText(), S(u"第3"));
    EXPECT_FALSE(window->findNext(S(u"没有这一行")));

    window->findChild<QPushButton *>(QStringLiteral("LogCopyCmd"))->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), lines->toPlainText());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(S(u" 第1行")));
}

TEST_F(WindowLogTest, AFoundLineStaysInViewTheWindowReopensAtTheNewestAndEscClosesIt)
{
    open();
    for (int i = 1; i <= 200; ++i)
        core->log().AddMesg(QStringLiteral("第%1行").arg(i));
    form->showLogWindow();
    auto *lines = form->logWindow()->findChild<QPlainTextEdit *>(QStringLiteral("LogText"));
    const auto topLine = [&] { return lines->cursorForPosition(QPoint(1, 1)).block().text(); };
    form->logWindow()->search(S(u"第20行"));
    const QString top = topLine();
    for (int i = 1; i <= 100; ++i)
        core->log().AddMesg(S(u"新的一行"));
    EXPECT_EQ(topLine(), top) << "the found line stays where it was";
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->logWindow()));
    QTest::keyClick(form->logWindow()->findChild<QLineEdit *>(QStringLiteral("LogFindText")), Qt::Key_Escape);
    EXPECT_FALSE(form->logWindow()->isVisible());
    form->showLogWindow();
    EXPECT_TRUE(topLine().endsWith(S(u" 新的一行"))) << "reopened at the newest line";
}
