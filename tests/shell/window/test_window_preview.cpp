// 预览 in the main window: the button under 打开网址 and Space on the
// downloaded list open the 宝贝预览 window, which follows the list.
#include "pictures.h"
#include "test_files.h"
#include "window_fixture.h"

#include "shell/window/preview/item_preview_window.h"

#include <QLabel>
#include <QWindow>

namespace {

class PreviewTest : public WindowTest
{
protected:
    // A downloaded item with one main picture of the given size.
    QString item(const QString &itemNo, const QString &title, int width, int height)
    {
        const QString folderPath = QDir(folder.path()).filePath(title);
        QDir().mkpath(folderPath + S(u"/主图"));
        QDir().mkpath(folderPath + S(u"/描述图"));
        writeBytes(folderPath + S(u"/主图/主图1.jpg"), makePicture(width, height));
        return itemNo + QLatin1Char('|') + title + QLatin1Char('|') + folderPath
            + QStringLiteral("|http://detail.zorvane.com/offer/1.html");
    }
    QString shownTitle() const
    {
        auto *preview = form->findChild<ItemPreviewWindow *>();
        return preview && preview->isVisible() ? preview->findChild<QLabel *>(QStringLiteral("PreviewTitle"))->text()
                                               : QString();
    }
};

} // namespace

TEST_F(PreviewTest, TheButtonAndTheSpaceKeyOpenItAndItFollowsTheList)
{
    open();
    downloaded().append(item(QStringLiteral("P-1"), S(u"第一件宝贝"), 800, 1200));
    downloaded().append(item(QStringLiteral("P-2"), S(u"第二件宝贝"), 640, 480));
    form->ShowListCmd_Click();
    // Under 打开网址, in its column.
    auto *button = control<QPushButton>("PreviewCmd");
    auto *openWeb = control<QPushButton>("OpenWebCmd");
    EXPECT_EQ(button->text(), S(u"预览"));
    EXPECT_EQ(button->x(), openWeb->x());
    EXPECT_EQ(button->y(), openWeb->y() + form->twips().toPixels(750));

    auto *list = control<QListView>("AlreadyDownedList");
    list->setCurrentIndex(list->model()->index(0, 0));
    button->click();
    ASSERT_TRUE(waitUntil([&] { return shownTitle().contains(S(u"第一件宝贝")); })) << shownTitle().toStdString();

    // The arrow keys move the list; the preview follows.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_TRUE(waitUntil([&] { return shownTitle().contains(S(u"第二件宝贝")); })) << shownTitle().toStdString();

    form->findChild<ItemPreviewWindow *>()->close();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_TRUE(shownTitle().isEmpty()) << "closed, it follows nothing";
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return shownTitle().contains(S(u"第一件宝贝")); })) << shownTitle().toStdString();

    // The keyboard stays with the list, ↓ goes on along it; the preview is
    // the main window's, which the window manager keeps it over.
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), form.get());
    ASSERT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(waitUntil([&] { return shownTitle().contains(S(u"第二件宝贝")); })) << shownTitle().toStdString();
    auto *preview = form->findChild<ItemPreviewWindow *>();
    EXPECT_EQ(preview->windowType(), Qt::Dialog);
    EXPECT_EQ(preview->windowHandle()->transientParent(), form->windowHandle());
}
