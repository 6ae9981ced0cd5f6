// File inputs on the tabs' pages: the chooser, where it starts, and a batch
// that goes on while it is open.
#include "window_fixture.h"
#include "fixture_pages.h"
#include "fixture_server.h"
#include "page_waits.h"
#include "qt_printers.h"
#include "test_files.h"

#include <QTest>

namespace {

class UploadTest : public WindowTest
{
protected:
    UploadTest()
    {
        output = QDir(folder.path()).filePath(S(u"图片"));
        QDir().mkpath(output);
        writeBytes(QDir(output).filePath(S(u"主图1.jpg")), "jpg");
        writeBytes(QDir(output).filePath(S(u"主图2.jpg")), "jpg");
        writeConfig(S(u"isAuto=False\r\nPicOutPutPath=") + output + S(u"\r\n"));
    }
    // A page whose top is one file input with the given attributes, clicked as the user does.
    void clickFileInput(const QString &attributes)
    {
        const QString page = QStringLiteral("http://www.zorvane.com/uploads/%1.html").arg(++m_pages);
        servePage(sharedServer(), page,
                  plainPageHtml(S(u"上传"), QStringLiteral("<input type=\"file\" id=\"f\" %1 style=\"display:block;"
                                                           "width:600px;height:400px\">")
                                                .arg(attributes)));
        ASSERT_TRUE(loadIn(current(), page));
        ASSERT_TRUE(waitUntilDrawn(current()));
        QTest::mouseClick(current()->focusProxy(), Qt::LeftButton, {}, QPoint(40, 40));
    }
    // The names of the files the page's input holds, once it holds `count`.
    QStringList inputFiles(int count)
    {
        QStringList names;
        waitUntil([&] {
            const auto answer = waitForAnswer<QVariant>(
                [&](auto done) {
                    current()->page()->runJavaScript(
                        QStringLiteral("Array.from(document.getElementById('f').files).map(f => f.name)"),
                        [done](const QVariant &v) { done(v); });
                },
                30000);
            names = answer.value_or(QVariant()).toStringList();
            return names.size() == count;
        });
        names.sort();
        return names;
    }

    QString output;

private:
    int m_pages = 0;
};

} // namespace

TEST_F(UploadTest, EachKindOfFileInputAsksTheChooserInTheSaveFolder)
{
    const QString first = QDir(output).filePath(S(u"主图1.jpg")), second = QDir(output).filePath(S(u"主图2.jpg"));
    const struct
    {
        const char *name;
        QString attributes;
        QStringList answer;
        bool multiple;
        bool folder;
        QStringList held;
    } cases[] = {
        {"one_file", QString(), {first}, false, false, {S(u"主图1.jpg")}},
        {"several_files", QStringLiteral("multiple"), {first, second}, true, false, {S(u"主图1.jpg"), S(u"主图2.jpg")}},
        {"cancelled", QString(), {}, false, false, {}},
        {"a_folder", QStringLiteral("webkitdirectory"), {output}, false, true, {S(u"主图1.jpg"), S(u"主图2.jpg")}},
    };
    open(true);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        desktop.picker = AnsweringPicker();
        desktop.picker.answer = c.folder ? output : QString();
        desktop.picker.answerFiles = [&c] { return c.answer; };
        clickFileInput(c.attributes);
        ASSERT_TRUE(waitUntil([&] { return !desktop.picker.askedTitle.isEmpty(); }));
        EXPECT_EQ(desktop.picker.askedTitle, c.folder ? S(u"请选择要上传的目录") : S(u"请选择要上传的文件"));
        EXPECT_EQ(desktop.picker.askedInitial, output);
        EXPECT_EQ(desktop.picker.filesAsked, c.folder ? 0 : 1);
        EXPECT_EQ(desktop.picker.askedMultiple, c.multiple);
        EXPECT_EQ(inputFiles(int(c.held.size())), c.held);
    }
}

TEST_F(UploadTest, TheBatchGoesOnWhileTheChooserIsOpen)
{
    DetailPage item;
    item.title = S(u"选文件时采集的宝贝");
    item.mainImages = {imageAddress(sharedServer(), S(u"851-m.jpg"))};
    servePictures(sharedServer(), item.mainImages, 400, 400);
    servePage(sharedServer(), detailPageAddress(851), detailPageHtml(item));
    open(true);
    pending().append(S(u"U-1|") + detailPageAddress(851));
    bool collectedMeanwhile = false;
    desktop.picker.answerFiles = [&] {
        // The user picks a file only after a whole item has been collected.
        click("StartPickCmd");
        collectedMeanwhile = waitUntil([&] { return downloaded().count() == 1; }, 120000);
        return QStringList{QDir(output).filePath(S(u"主图1.jpg"))};
    };
    clickFileInput(QString());
    ASSERT_TRUE(waitUntil([&] { return desktop.picker.filesAsked == 1; }, 180000));
    EXPECT_TRUE(collectedMeanwhile) << log().join(u'\n').toStdString();
    EXPECT_EQ(inputFiles(1), QStringList{S(u"主图1.jpg")});
    EXPECT_TRUE(QDir(QDir(output).filePath(S(u"选文件时采集的宝贝"))).exists());
}
