#include "shell/demo/screenshot_scenes.h"

#include "collection/batch/batch_cycle.h"
#include "download/listing/listing_folder.h"
#include "platform/desktop/terminal.h"
#include "shell/browser/browser_area.h"
#include "shell/browser/skin_window.h"
#include "shell/window/batch/batch_panel.h"
#include "shell/window/lists/item_list_view.h"
#include "shell/window/preview/item_preview_window.h"
#include "shell/window/log/log_window.h"
#include "shell/window/main/main_form.h"
#include "shell/window/main/program_parts.h"
#include "shell/window/main/toolbar_band.h"
#include "shell/window/watch/watch_window.h"
#include "shell/demo/demo_marketplace.h"
#include "shop/watch_list.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <functional>
#include <memory>

namespace ScreenshotScenes {

namespace {

const QString ShownSkin = QStringLiteral("墨夜.qss");

// Saves the picture once the pages have been painted, then closes the window.
void grabSoon(MainForm &form, const QString &file)
{
    QTimer::singleShot(1500, &form, [&form, file] {
        const bool saved = form.grab().save(file);
        printLine(stderr, (saved ? QStringLiteral("窗口截图已保存: ") : QStringLiteral("窗口截图保存失败: ")) + file);
        form.close();
    });
}

// Once `collected` items are done and the next one is being analysed.
void duringBatch(MainForm &form, ProgramParts &core, int collected, const std::function<void()> &then)
{
    auto taken = std::make_shared<bool>(false);
    QObject::connect(&core.batch(), &BatchCycle::stepLogged, &form,
                     [&core, collected, then, taken](const QString &, const QString &step) {
                         if (*taken || core.lists().AlreadyDownedList().count() < collected
                             || !step.contains(QStringLiteral("分析中")))
                             return;
                         *taken = true;
                         then();
                     });
}

// From the screen, for a window of its own over the main one.
void grabScreenSoon(MainForm &form, const QString &file)
{
    QTimer::singleShot(1500, &form, [&form, file] {
        const QRect shown = form.frameGeometry();
        const bool saved =
            form.screen()->grabWindow(0, shown.x(), shown.y(), shown.width(), shown.height()).save(file);
        printLine(stderr, (saved ? QStringLiteral("窗口截图已保存: ") : QStringLiteral("窗口截图保存失败: ")) + file);
        form.close();
    });
}

// A refusal in the strip, and the 日志 window searched for it, over the window.
void logSearched(MainForm &form, const QString &file)
{
    form.batchPanel().controls().delUrlCmd->click(); // nothing selected
    form.showLogWindow();
    LogWindow *window = form.logWindow();
    window->setGeometry(form.x() + 150, form.y() + 190, 940, 430);
    window->search(QStringLiteral("失败"));
    grabScreenSoon(form, file);
}

// The first collected item in the 宝贝预览 window, over the window.
void previewed(MainForm &form, const QString &file)
{
    BatchPanel &panel = form.batchPanel();
    QListView *downloaded = panel.controls().alreadyDownedList;
    downloaded->setCurrentIndex(downloaded->model()->index(0, 0));
    panel.PreviewCmd_Click();
    ItemPreviewWindow *preview = panel.previewWindow();
    preview->setGeometry(form.x() + 320, form.y() + 150, 860, 560);
    QObject::connect(preview, &ItemPreviewWindow::allShown, &form, [&form, file] { grabScreenSoon(form, file); },
                     Qt::SingleShotConnection);
}

// The demo shop and a closed one watched, checked, in the 店铺上新 window over the window.
void watched(MainForm &form, ProgramParts &core, const QString &file)
{
    QString message;
    WatchList list(core.programFolder());
    list.add(DemoMarketplace::shopAddress(), false, QDateTime::currentDateTime(), &message);
    list.add(QStringLiteral("http://closedshop.zorvane.com"), false, QDateTime::currentDateTime(), &message);
    form.showWatchWindow();
    form.watchWindow()->setGeometry(form.x() + 120, form.y() + 140, 1040, 560);
    QObject::connect(&core.watch(), &WatchCheck::finished, &form, [&form, file] { grabScreenSoon(form, file); },
                     Qt::SingleShotConnection);
    core.watch().start();
}

// A file's picture as a file manager shows it: fitted in a square, framed
// so that a white picture shows against the white list.
QIcon framedThumbnail(const QImage &picture, int side)
{
    const QImage fitted = picture.scaled(side - 2, side - 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap tile(side, side);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    const QRect at((side - fitted.width()) / 2, (side - fitted.height()) / 2, fitted.width(), fitted.height());
    painter.drawImage(at, fitted);
    painter.setPen(QColor(160, 160, 160));
    painter.drawRect(at.adjusted(-1, -1, 0, 0));
    return QIcon(tile);
}

// The first collected item's 上架图, made with the stored settings, shown as a
// file manager shows a folder: each file's picture, name, pixels and size.
void listed(MainForm &form, ProgramParts &core, const QString &file)
{
    const DownloadedLine item = DownloadedLine::parse(core.lists().AlreadyDownedList().at(0));
    QObject::connect(&core.listing(), &ListingRun::finished, &form, [&form, item, file] {
        const QDir folder(QDir(item.folder).filePath(ListingFolder::name()));
        auto *shown = new QWidget;
        shown->setAttribute(Qt::WA_DeleteOnClose);
        auto *column = new QVBoxLayout(shown);
        column->addWidget(new QLabel(QStringLiteral("上架图:") + QDir::toNativeSeparators(folder.path()), shown));
        auto *view = new QListWidget(shown);
        column->addWidget(view);
        view->setViewMode(QListView::IconMode);
        view->setIconSize(QSize(128, 128));
        view->setGridSize(QSize(170, 190));
        view->setWordWrap(true);
        view->setTextElideMode(Qt::ElideNone);
        view->setResizeMode(QListView::Adjust);
        QStringList names = folder.entryList(QDir::Files);
        std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        for (const QString &name : std::as_const(names)) {
            const QImage picture(folder.filePath(name));
            const qint64 bytes = QFileInfo(folder.filePath(name)).size();
            view->addItem(new QListWidgetItem(framedThumbnail(picture, 128),
                                              QStringLiteral("%1 %2×%3 %4KB")
                                                  .arg(name)
                                                  .arg(picture.width())
                                                  .arg(picture.height())
                                                  .arg((bytes + 1023) / 1024)));
        }
        shown->resize(1060, 470);
        shown->show();
        QTimer::singleShot(1000, &form, [&form, shown, file] {
            const bool saved = shown->grab().save(file);
            printLine(stderr, (saved ? QStringLiteral("窗口截图已保存: ") : QStringLiteral("窗口截图保存失败: ")) + file);
            shown->close();
            form.close();
        });
    }, Qt::SingleShotConnection);
    core.makeListing({item});
}

void pickSkin(MainForm &form)
{
    form.Toolbar1_ButtonClick(ToolbarBand::ChangeSkin);
    SkinWindow &skinWindow = form.skinWindow();
    QListWidget *list = skinWindow.SkinFile();
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(SkinWindow::FileRole).toString() == ShownSkin)
            list->setCurrentRow(row);
    }
    skinWindow.close();
}

void inTwoTabs(MainForm &form, const QStringList &itemAddresses, const QString &file)
{
    form.Toolbar1_ButtonClick(ToolbarBand::NewPage);
    QWebEngineView *second = form.browsers().currentView();
    if (!second || itemAddresses.isEmpty())
        return;
    QObject::connect(second, &QWebEngineView::loadFinished, &form, [&form, file] { grabSoon(form, file); },
                     Qt::SingleShotConnection);
    form.urladress_KeyPress(itemAddresses.first());
}

} // namespace

std::optional<Scene> sceneNamed(const QString &name)
{
    if (name.isEmpty() || name == u"batch")
        return Scene::Batch;
    if (name == u"tabs")
        return Scene::Tabs;
    if (name == u"skin")
        return Scene::Skin;
    if (name == u"log")
        return Scene::Log;
    if (name == u"preview")
        return Scene::Preview;
    if (name == u"watch")
        return Scene::Watch;
    if (name == u"listing")
        return Scene::Listing;
    return std::nullopt;
}

bool showsBatchPanel(Scene scene)
{
    return scene != Scene::Tabs;
}

void take(Scene scene, MainForm &form, ProgramParts &core, const QStringList &itemAddresses, const QString &file)
{
    switch (scene) {
    case Scene::Batch:
        duringBatch(form, core, 2, [&form, file] { grabSoon(form, file); });
        break;
    case Scene::Tabs:
        inTwoTabs(form, itemAddresses, file);
        break;
    case Scene::Skin:
        pickSkin(form);
        duringBatch(form, core, 1, [&form, file] { grabSoon(form, file); });
        break;
    case Scene::Log:
        duringBatch(form, core, 1, [&form, file] { logSearched(form, file); });
        break;
    case Scene::Preview:
        duringBatch(form, core, 2, [&form, file] { previewed(form, file); });
        break;
    case Scene::Watch:
        duringBatch(form, core, 1, [&form, &core, file] { watched(form, core, file); });
        break;
    case Scene::Listing:
        duringBatch(form, core, 1, [&form, &core, file] { listed(form, core, file); });
        break;
    }
}

} // namespace ScreenshotScenes
