#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "qt_printers.h"

#include "lists/item_lines.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QWebEngineView>

namespace {

// A detail page with two main pictures and one wide description picture that
// arrives after scrolling.
void serveItem(int id, const QString &title, int height = 1500)
{
    FixtureServer &server = sharedServer();
    const QString n = QString::number(id);
    DetailPage item;
    item.title = title;
    item.mainImages = {imageAddress(server, n + S(u"-w1.jpg")), imageAddress(server, n + S(u"-w2.jpg"))};
    item.descImages = {imageAddress(server, n + S(u"-wd.jpg"))};
    item.height = height;
    servePictures(server, item.mainImages, 400, 400);
    servePictures(server, item.descImages, 600, 80);
    servePage(server, detailPageAddress(id), detailPageHtml(item));
}

struct AutoCase
{
    const char *name;
    QString config;
    bool ticked;
};
ZORVANE_PRINT_AS_NAME(AutoCase)

class AutoModeTest : public WindowTest, public ::testing::WithParamInterface<AutoCase>
{
};

} // namespace

TEST_P(AutoModeTest, OnlyTheExactTextFalseSwitchesItOff)
{
    writeConfig(GetParam().config);
    open(true);
    EXPECT_EQ(control<QCheckBox>("AutoModeChk")->isChecked(), GetParam().ticked);
    if (GetParam().ticked) {
        ASSERT_TRUE(waitUntil([&] { return core->batch().isControllerOn(); }, 10000));
        EXPECT_TRUE(log().first().startsWith(S(u"启动采集,")));
        return;
    }
    EXPECT_EQ(log(), (QStringList{S(u"启动暂停指示，待最近一次采集完成后将关闭采集"),
                                  S(u"关闭自动模式,下次打开软件需手动启动采集.")}));
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("isAuto")), QStringLiteral("False"));
    // The key was written again (the blanks around the stored value are gone).
    EXPECT_FALSE(readLocalTextFile(core->settings().filePath())->contains(QStringLiteral(" = False")));
    EXPECT_FALSE(core->batch().isControllerOn());
}

INSTANTIATE_TEST_SUITE_P(Settings, AutoModeTest,
                         ::testing::Values(AutoCase{"LowerCaseFalseIsOn", S(u"isAuto=false\r\n"), true},
                                           AutoCase{"MissingKeyIsOn", QString(), true},
                                           AutoCase{"FalseIsOff", S(u"isauto = False\r\n"), false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(WindowTest, TickingTheBoxStoresTheChoiceEachTime)
{
    writeConfig(S(u"isAuto=False\r\n"));
    open(true);
    auto *box = control<QCheckBox>("AutoModeChk");
    box->click();
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("isAuto")), QStringLiteral("True"));
    EXPECT_EQ(log().last(), S(u"开启自动模式,下次打开软件自动启动采集."));
    box->click();
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("isAuto")), QStringLiteral("False"));
}

TEST_F(WindowTest, StartUpLoadsTheListsAndSendsTheCollectorsViewToAnEmptyPage)
{
    writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("listdata.txt")),
                       S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n1|t|/o/1|u\r\n"));
    writeConfig(S(u"isAuto=False\r\n"));
    open(true);
    EXPECT_EQ(downloaded().entries(), QStringList{S(u"1|t|/o/1|u")});
    EXPECT_EQ(form->windowTitle(), S(u"Zorvane产品图片下载器"));
    auto *collector = control<QWebEngineView>("PickWebBro");
    EXPECT_TRUE(collector->isVisible());
    ASSERT_TRUE(waitUntil([&] { return collector->url() == QUrl(QStringLiteral("about:blank")); }, 10000));
    EXPECT_EQ(control<QWebEngineView>("WebBrowser1")->page()->requestedUrl(),
              QUrl(core->options().marketplace.homePage));
}

TEST_F(WindowTest, AddedItemsAreCollectedIntoTheirFolders)
{
    serveItem(401, S(u"窗口宝贝一"));
    serveItem(402, S(u"窗口宝贝二"));
    const QString output = QDir(folder.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(output);
    writeConfig(S(u"isAuto=False\r\n"));
    open(true);
    desktop.picker.answer = output;
    click("SetSavePathCmd");
    EXPECT_EQ(log().last(), S(u"设置采集图片保存至:") + output);

    control<QPlainTextEdit>("AddUrlText")->setPlainText(detailPageAddress(401) + S(u"|W-1\n") + detailPageAddress(402)
                                                        + S(u"|W-2"));
    click("addUrlCmd");
    // What the strip says while a page is scrolled.
    QStringList scrolling;
    QObject::connect(&core->batch(), &BatchCycle::scrollProgress, form.get(),
            [&] { scrolling << control<QLabel>("ProgressItem")->text(); });
    QSignalSpy idle(&core->batch(), &BatchCycle::idle);
    click("StartPickCmd");
    ASSERT_TRUE(waitUntil([&] { return !control<QPushButton>("StartPickCmd")->isEnabled(); }, 10000));
    ASSERT_TRUE(idle.wait(120000));

    const QString first = QDir(output).filePath(S(u"窗口宝贝一")), second = QDir(output).filePath(S(u"窗口宝贝二"));
    EXPECT_EQ(downloaded().entries(), (QStringList{S(u"W-1|窗口宝贝一|") + first + u'|' + detailPageAddress(401),
                                                   S(u"W-2|窗口宝贝二|") + second + u'|' + detailPageAddress(402)}));
    for (const QString &item : {first, second}) {
        EXPECT_EQ(QDir(item + S(u"/主图")).entryList(QDir::Files).size(), 2) << item.toStdString();
        EXPECT_EQ(QDir(item + S(u"/描述图")).entryList(QDir::Files).size(), 1) << item.toStdString();
        EXPECT_TRUE(QFile::exists(item + S(u"/宝贝基本信息.txt")));
    }
    EXPECT_EQ(listData(), S(u"<AddUrlText>\r\n\r\n<readyDownList>\r\n<AlreadyDownedList>\r\n") + downloaded().at(0)
                              + S(u"\r\n") + downloaded().at(1) + S(u"\r\n"));
    EXPECT_EQ(control<QLabel>("ProgressCounts")->text(), S(u"本次已采集 2 个宝贝, 待下载 0 个"));
    EXPECT_EQ(control<QLabel>("ProgressItem")->text(), S(u"全部完成:本次已采集 2 个宝贝"));
    ASSERT_FALSE(scrolling.isEmpty());
    const QRegularExpression scrolled(S(u"^正在采集: W-1 .* 已滚动 (\\d+)/(\\d+) 像素, 描述图 (\\d) 张$"));
    const QRegularExpressionMatch start = scrolled.match(scrolling.first());
    ASSERT_TRUE(start.hasMatch()) << scrolling.first().toStdString();
    EXPECT_LT(start.captured(1).toInt(), start.captured(2).toInt()) << "the page is scrolled step by step";
    EXPECT_GE(start.captured(2).toInt(), 1500);
    EXPECT_FALSE(scrolling.filter(S(u"描述图 1 张")).isEmpty()) << "the description picture arrives on the way";

    // Pause while idle: the start button comes back.
    click("StopPickCmd");
    ASSERT_TRUE(waitUntil([&] { return control<QPushButton>("StartPickCmd")->isEnabled(); }, 10000));
    EXPECT_EQ(control<QPushButton>("StopPickCmd")->text(), S(u"暂停"));
}

TEST_F(WindowTest, ClosingMidItemPutsItBackWithTheMarker)
{
    serveItem(411, S(u"关闭时的宝贝"), 40000);
    writeConfig(S(u"isAuto=False\r\nPicOutPutPath=") + folder.path() + S(u"\r\n"));
    open(true);
    pending().append(S(u"A-1|") + detailPageAddress(411));
    pending().append(S(u"A-2|") + detailPageAddress(412));
    click("StartPickCmd");
    ASSERT_TRUE(waitUntil([&] { return core->records().PickBusy(0); }, 60000));
    // The indicator blinks beside the pending list.
    ASSERT_TRUE(waitUntil([&] { return !control<QLabel>("ProDenLbl")->text().isEmpty(); }, 10000));
    // A change not saved yet: the close saves it with the rest.
    pending().append(QStringLiteral("A-3|x"));
    form->close();
    EXPECT_TRUE(listData().endsWith(S(u"<readyDownList>\r\nA-1|") + detailPageAddress(411)
                              + S(u"|[上次软件退出未采集完成]\r\nA-2|") + detailPageAddress(412)
                              + S(u"\r\nA-3|x\r\n<AlreadyDownedList>\r\n")))
        << listData().toStdString();
}

TEST_F(WindowTest, TheFastPaceBoxShowsAndStoresThePace)
{
    writeConfig(S(u"PickPace=快速\r\n"));
    open();
    auto *box = control<QCheckBox>("FastPickChk");
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(core->batch().pace(), BatchCycle::Pace::Fast);
    box->click();
    EXPECT_EQ(core->batch().pace(), BatchCycle::Pace::Standard);
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("PickPace")), S(u"标准"));
    EXPECT_EQ(log().last(), S(u"关闭快速采集,恢复标准速度,从下一个宝贝起生效."));
    box->click();
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("PickPace")), S(u"快速"));
    EXPECT_EQ(core->batch().pace(), BatchCycle::Pace::Fast);
}

TEST_F(WindowTest, TheSkipDownloadedBoxShowsAndStoresItsSettingUnderTheFastPaceBox)
{
    writeConfig(S(u"SkipDownloaded=True\r\n"));
    open();
    form->ShowListCmd_Click();
    auto *box = control<QCheckBox>("SkipDownloadedChk");
    EXPECT_EQ(box->text(), S(u"跳过已下载"));
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(core->batch().skipsDownloaded());
    // Under 快速采集, in its column.
    auto *fast = control<QCheckBox>("FastPickChk");
    EXPECT_EQ(box->x(), fast->x());
    EXPECT_GT(box->y(), fast->y() + fast->height() / 2);
    box->click();
    EXPECT_FALSE(core->batch().skipsDownloaded());
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("SkipDownloaded")), S(u"False"));
    EXPECT_EQ(log().last(), S(u"关闭跳过已下载,已下载过的宝贝也会重新采集."));
    box->click();
    EXPECT_TRUE(core->batch().skipsDownloaded());
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("SkipDownloaded")), S(u"True"));
}

TEST_F(WindowTest, TheCollectorsBoxUnderTheTwoBoxesShowsAndStoresHowManyAtOnce)
{
    writeConfig(S(u"Collectors=3\r\n"));
    open();
    form->ShowListCmd_Click();
    auto *count = control<QSpinBox>("CollectorsBox");
    EXPECT_EQ(count->value(), 3);
    EXPECT_EQ(core->batch().collectors(), 3);
    EXPECT_GT(count->y(), control<QCheckBox>("SkipDownloadedChk")->y());
    count->setValue(2);
    EXPECT_EQ(core->batch().collectors(), 2);
    EXPECT_EQ(core->settings().LoadConfigValue(QStringLiteral("Collectors")), S(u"2"));
    EXPECT_FALSE(log().join(u'\n').contains(S(u"同时采集"))) << "at rest the start says it";

    // Said at 启动; while the batch runs, once the number is settled, not at every step.
    click("StartPickCmd");
    ASSERT_TRUE(waitUntil([&] { return core->batch().isControllerOn(); }));
    EXPECT_EQ(log().count(S(u"同时采集2个宝贝.")), 1);
    count->setFocus();
    QTest::keyClick(count, Qt::Key_Up);
    QTest::keyClick(count, Qt::Key_Up);
    EXPECT_EQ(core->batch().collectors(), 4);
    EXPECT_FALSE(log().join(u'\n').contains(S(u"同时采集3个")));
    QTest::keyClick(count, Qt::Key_Return);
    QTest::keyClick(count, Qt::Key_Return);
    EXPECT_EQ(log().count(S(u"同时采集4个宝贝,从下一个宝贝起生效.")), 1);
    click("StopPickCmd");
    ASSERT_TRUE(waitUntil([&] { return !core->batch().isControllerOn(); }));
    click("StartPickCmd");
    ASSERT_TRUE(waitUntil([&] { return core->batch().isControllerOn(); }));
    EXPECT_EQ(log().count(S(u"同时采集4个宝贝.")), 1);
    click("StopPickCmd");
}
