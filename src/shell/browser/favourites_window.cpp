#include "shell/browser/favourites_window.h"

#include "shell/browser/owned_window.h"
#include "platform/desktop/prompts.h"
#include "shell/browser/favourites.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QVBoxLayout>

namespace {

constexpr int FileRole = Qt::UserRole; // the favourite's file name

} // namespace

FavouritesWindow::FavouritesWindow(Favourites &favourites, Prompts &prompts, QWidget *parent)
    : QWidget(parent, ownedWindowFlags())
    , m_favourites(favourites)
    , m_prompts(prompts)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("linka"));
    setWindowTitle(QStringLiteral("收藏夹"));
    resize(360, 420);
    closeOnEscape(this);

    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menu"));
    const QStringList captions = {QStringLiteral("打开"), QStringLiteral("删除"), QStringLiteral("修改"),
                                  QStringLiteral("设为主页")};
    for (int i = 0; i < captions.size(); ++i) {
        QAction *action = bar->addAction(captions.at(i));
        action->setObjectName(QStringLiteral("menu"));
        action->setProperty("index", i);
        m_menu.append(action);
    }
    connect(m_menu.at(Open), &QAction::triggered, this, &FavouritesWindow::openSelected);
    connect(m_menu.at(Delete), &QAction::triggered, this, &FavouritesWindow::deleteSelected);
    connect(m_menu.at(Rename), &QAction::triggered, this, &FavouritesWindow::renameSelected);
    connect(m_menu.at(SetHome), &QAction::triggered, this, &FavouritesWindow::setSelectedAsHome);

    m_list->setObjectName(QStringLiteral("File1"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(bar);
    layout->addWidget(m_list);

    connect(m_list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            m_selected = QDir(m_favourites.folder()).filePath(item->data(FileRole).toString());
    });
    // Enter, and a double-click.
    connect(m_list, &QListWidget::itemActivated, this, [this] {
        openSelected();
        close();
    });
}

void FavouritesWindow::fill()
{
    m_list->clear();
    for (const QString &file : m_favourites.entries()) {
        auto *entry = new QListWidgetItem(Favourites::displayName(file), m_list);
        entry->setData(FileRole, file);
    }
}

QAction *FavouritesWindow::menu(MenuEntry entry) const
{
    return m_menu.at(entry);
}

void FavouritesWindow::Form_Load()
{
    m_favourites.ensureFolder();
    m_selected.clear();
    fill();
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    placeOverOwner(this);
    show();
    raise();
    activateWindow();
}

void FavouritesWindow::refresh()
{
    const QString name = QFileInfo(m_selected).fileName();
    fill();
    m_selected.clear();
    selectName(name);
}

void FavouritesWindow::selectName(const QString &fileName)
{
    for (int row = 0; row < m_list->count(); ++row) {
        if (!fileName.isEmpty() && m_list->item(row)->data(FileRole).toString() == fileName) {
            m_list->setCurrentRow(row);
            return;
        }
    }
}

void FavouritesWindow::showStored(const QString &path)
{
    if (!isVisible())
        return;
    fill();
    m_selected.clear();
    selectName(QFileInfo(path).fileName());
}

void FavouritesWindow::openSelected()
{
    if (m_selected.isEmpty())
        return;
    emit openRequested(m_selected, false);
    refresh();
}

void FavouritesWindow::deleteSelected()
{
    if (m_selected.isEmpty() || !QFile::remove(m_selected))
        return;
    refresh();
}

void FavouritesWindow::renameSelected()
{
    if (m_selected.isEmpty())
        return;
    const QString path = m_selected;
    QPointer<FavouritesWindow> self(this);
    m_prompts.askText(QStringLiteral("请输入新名称。"), Favourites::messageTitle(),
                      Favourites::displayName(QFileInfo(path).fileName()),
                      [self, path](const std::optional<QString> &answer) {
                          if (!self || !answer)
                              return;
                          const std::optional<QString> renamed = self->m_favourites.rename(path, *answer);
                          if (!renamed)
                              return;
                          self->m_selected = *renamed;
                          self->refresh();
                      });
}

void FavouritesWindow::setSelectedAsHome()
{
    if (m_selected.isEmpty() || !m_favourites.setHome(m_selected))
        return;
    m_prompts.showMessage(Prompts::Icon::None, Favourites::messageTitle(), QStringLiteral("已经设置为主页!"));
    close();
}
