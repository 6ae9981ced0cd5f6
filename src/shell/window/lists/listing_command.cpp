#include "shell/window/lists/listing_command.h"

#include "lists/export/export_items.h"
#include "lists/item_list.h"
#include "shell/window/lists/listing_settings_dialog.h"
#include "shell/window/main/program_parts.h"

#include <QAbstractItemView>
#include <QMenu>

ListingCommand::ListingCommand(ProgramParts &parts, QWidget *dialogParent, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_dialogParent(dialogParent)
{
}

ListingSettingsDialog *ListingCommand::settingsDialog() const
{
    return m_dialog;
}

QMenu *ListingCommand::lastMenu() const
{
    return m_menu;
}

QString ListingCommand::makeCaption(int selected, int count)
{
    return selected > 0 ? QStringLiteral("上架图片(选中的%1个宝贝)").arg(selected)
                        : QStringLiteral("上架图片(全部%1个宝贝)").arg(count);
}

void ListingCommand::makeListing_Click()
{
    const QList<DownloadedLine> lines = linesToExport(m_parts.lists().AlreadyDownedList());
    if (lines.isEmpty()) {
        m_parts.log().AddMesg(QStringLiteral("上架图片未能开始,原因:已下载列表中没有宝贝"));
        return;
    }
    const int queued = m_parts.makeListing(lines);
    if (queued == 0) {
        m_parts.log().AddMesg(QStringLiteral("上架图片:这些宝贝的上架图正在做,不再重复"));
        return;
    }
    QString text = QStringLiteral("正在做上架图:%1个宝贝").arg(queued);
    if (queued < lines.size())
        text += QStringLiteral("(另有%1个正在做,不再重复)").arg(lines.size() - queued);
    m_parts.log().AddMesg(text);
}

void ListingCommand::cancelListing_Click()
{
    if (!m_parts.listing().isRunning())
        return;
    m_parts.log().AddMesg(QStringLiteral("正在取消上架图:正在做的宝贝做完当前这张图片就停下,不留下做了一半的上架图"));
    m_parts.listing().cancel();
}

void ListingCommand::listingSettings_Click()
{
    if (!m_dialog) {
        m_dialog = new ListingSettingsDialog(m_parts.settings(), m_dialogParent);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_dialog, &QDialog::accepted, this,
                [this] { m_parts.log().AddMesg(QStringLiteral("上架图片设置已保存")); });
    }
    m_dialog->open();
    m_dialog->raise();
}

void ListingCommand::attachTo(QAbstractItemView *downloadedList)
{
    downloadedList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(downloadedList, &QWidget::customContextMenuRequested, this,
            [this, downloadedList](const QPoint &at) { showMenu(downloadedList, at); });
}

void ListingCommand::showMenu(QAbstractItemView *list, const QPoint &at)
{
    delete m_menu;
    m_menu = new QMenu(list);
    m_menu->setObjectName(QStringLiteral("DownloadedMenu"));
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    const ItemList &downloaded = m_parts.lists().AlreadyDownedList();
    QAction *make = m_menu->addAction(makeCaption(downloaded.selectedCount(), downloaded.count()), this,
                                      &ListingCommand::makeListing_Click);
    make->setObjectName(QStringLiteral("makeListing"));
    make->setEnabled(downloaded.count() > 0);
    QAction *cancel = m_menu->addAction(QStringLiteral("取消上架图片"), this, &ListingCommand::cancelListing_Click);
    cancel->setObjectName(QStringLiteral("cancelListing"));
    cancel->setEnabled(m_parts.listing().isRunning());
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("上架图片设置…"), this, &ListingCommand::listingSettings_Click)
        ->setObjectName(QStringLiteral("listingSettings"));
    m_menu->popup(list->viewport()->mapToGlobal(at));
}
