// 上架图片 from the downloaded list's context menu and the 文件 menu, and
// its settings dialog.
#include "pictures.h"
#include "test_files.h"
#include "window_fixture.h"

#include "download/listing/listing_folder.h"
#include "shell/window/lists/listing_command.h"
#include "shell/window/lists/listing_settings_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>

namespace {

class ListingTest : public WindowTest
{
protected:
    // An item folder with a main and a description picture, in the downloaded list.
    QString addItem(int n)
    {
        const QString item = QDir(folder.path()).filePath(QStringLiteral("宝贝%1").arg(n));
        QDir().mkpath(item + S(u"/主图"));
        QDir().mkpath(item + S(u"/描述图"));
        writeBytes(item + S(u"/主图/主图1.jpg"), makePicture(900, 600));
        writeBytes(item + S(u"/描述图/描述图1.jpg"), makePicture(790, 2000));
        downloaded().append(QStringLiteral("L-%1|宝贝%1|%2|http://detail.zorvane.com/offer/%1.html").arg(n).arg(item));
        return item;
    }

    // The downloaded list's context menu, as a right click opens it.
    QMenu *menu()
    {
        auto *list = control<QListView>("AlreadyDownedList");
        emit list->customContextMenuRequested(QPoint(4, 4));
        return form->listingCommand().lastMenu();
    }

    QAction *entry(QMenu *menu, const char *name) const
    {
        QAction *action = menu->findChild<QAction *>(QLatin1String(name));
        EXPECT_TRUE(action) << name;
        return action;
    }
};

} // namespace

TEST_F(ListingTest, TheDownloadedListsMenuMakesListingPicturesForTheSelectedItemsOrAll)
{
    open();
    QMenu *empty = menu();
    ASSERT_TRUE(empty);
    EXPECT_FALSE(entry(empty, "makeListing")->isEnabled()) << "nothing to make it for";
    const QStringList items{addItem(1), addItem(2), addItem(3)};

    struct Case
    {
        QList<int> selected;
        QString caption;
        QList<bool> made;
    };
    for (const Case &c : {Case{{1}, S(u"上架图片(选中的1个宝贝)"), {false, true, false}},
                          Case{{}, S(u"上架图片(全部3个宝贝)"), {true, true, true}}}) {
        SCOPED_TRACE(c.caption.toStdString());
        for (int row = 0; row < downloaded().count(); ++row)
            downloaded().setSelected(row, c.selected.contains(row));
        QMenu *listMenu = menu();
        EXPECT_EQ(entry(listMenu, "makeListing")->text(), c.caption);
        EXPECT_FALSE(entry(listMenu, "cancelListing")->isEnabled()) << "nothing under way";
        entry(listMenu, "makeListing")->trigger();
        const QString done = S(u"上架图完成:%1个宝贝已做好").arg(c.selected.isEmpty() ? 3 : 1);
        ASSERT_TRUE(waitUntil([&] { return log().contains(done); }, 120000)) << log().join(u'\n').toStdString();
        for (int i = 0; i < items.size(); ++i)
            EXPECT_EQ(QFileInfo::exists(QDir(items.at(i)).filePath(S(u"上架图/描述图2.jpg"))), c.made.at(i)) << i;
        EXPECT_FALSE(control<QLabel>("ProgressListing")->isVisible());
        for (int i = 0; i < items.size(); ++i)
            QDir(QDir(items.at(i)).filePath(ListingFolder::name())).removeRecursively();
    }
    EXPECT_TRUE(log().contains(S(u"正在做上架图:1个宝贝")));
    EXPECT_TRUE(log().contains(S(u"上架图已做好<L-2 宝贝2>:主图1张、描述图2张,在<") + items.at(1) + S(u"/上架图>")));
}

TEST_F(ListingTest, TheSettingsDialogRefusesAValueOutOfRangeAndStoresTheRest)
{
    open();
    control<QAction>("listingSettings")->trigger();
    ListingSettingsDialog *dialog = form->listingCommand().settingsDialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->findChild<QSpinBox *>(S(u"ListingMainSide"))->value(), 800);
    const QByteArray before = readBytes(core->settings().filePath());

    dialog->findChild<QSpinBox *>(S(u"ListingMainSide"))->setValue(100);
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(dialog->isVisible()) << "stays open";
    EXPECT_EQ(dialog->findChild<QLabel *>(S(u"ListingProblem"))->text(), S(u"主图边长100像素超出范围,只能是200到4000像素"));
    EXPECT_EQ(readBytes(core->settings().filePath()), before);

    dialog->findChild<QSpinBox *>(S(u"ListingMainSide"))->setValue(1000);
    dialog->findChild<QSpinBox *>(S(u"ListingSizeKB"))->setValue(900);
    dialog->findChild<QCheckBox *>(S(u"ListingAfterCollect"))->setChecked(true);
    dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    ASSERT_TRUE(waitUntil([&] { return !form->listingCommand().settingsDialog(); })) << "closed";
    const ListingOptions stored = core->settings().listingOptions();
    EXPECT_EQ(stored.mainSide, 1000);
    EXPECT_EQ(stored.sizeLimitKB, 900);
    EXPECT_TRUE(stored.afterCollect);
    EXPECT_EQ(stored.descWidth, 750);
    EXPECT_EQ(log().last(), S(u"上架图片设置已保存"));
}
