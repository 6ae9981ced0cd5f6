#include "shell/window/preview/item_preview_window.h"

#include "download/item_pictures.h"
#include "lists/item_lines.h"
#include "platform/desktop/desktop.h"
#include "shell/browser/owned_window.h"
#include "shell/window/preview/preview_tiles.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int CaptionLines = 2; // the name, then the size or what is wrong

QString tileText(const ItemPicture &picture)
{
    return picture.name() + QLatin1Char('\n') + picture.note();
}

} // namespace

ItemPreviewWindow::ItemPreviewWindow(Opener &opener, QWidget *parent, const ThumbnailLoader::Limits &limits)
    : QWidget(parent, ownedWindowFlags())
    , m_opener(opener)
    , m_loader(limits)
    , m_placeholder(limits.bound)
    , m_title(new QLabel(this))
    , m_facts(new QLabel(this))
    , m_notes(new QLabel(this))
    , m_tiles(new QListWidget(this))
{
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("宝贝预览"));
    m_title->setObjectName(QStringLiteral("PreviewTitle"));
    m_title->setWordWrap(true);
    m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_facts->setObjectName(QStringLiteral("PreviewFacts"));
    m_facts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_notes->setObjectName(QStringLiteral("PreviewNotes"));
    m_notes->setWordWrap(true);
    m_notes->setStyleSheet(QStringLiteral("color: #c0392b;"));
    m_notes->hide();

    m_placeholder.fill(QColor(232, 232, 232));
    m_tiles->setObjectName(QStringLiteral("PreviewPictures"));
    m_tiles->setViewMode(QListView::IconMode);
    m_tiles->setMovement(QListView::Static);
    m_tiles->setResizeMode(QListView::Adjust);
    m_tiles->setWrapping(true);
    m_tiles->setUniformItemSizes(true);
    m_tiles->setIconSize(limits.bound);
    auto *tiles = new PreviewTiles(limits.bound, CaptionLines, m_tiles);
    m_tiles->setItemDelegate(tiles);
    m_tiles->setGridSize(tiles->sizeHint(QStyleOptionViewItem(), QModelIndex()) + QSize(4, 4));
    m_tiles->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *column = new QVBoxLayout(this);
    column->addWidget(m_title);
    column->addWidget(m_facts);
    column->addWidget(m_notes);
    column->addWidget(m_tiles, 1);

    connect(&m_loader, &ThumbnailLoader::thumbnailReady, this, &ItemPreviewWindow::thumbnailArrived);
    connect(&m_loader, &ThumbnailLoader::thumbnailFailed, this, &ItemPreviewWindow::thumbnailFailed);
    connect(m_tiles, &QListWidget::itemActivated, this, &ItemPreviewWindow::open);
    m_title->setText(QStringLiteral("在已下载列表中选中一个宝贝"));
    closeOnEscape(this);
    resize(820, 640);
}

void ItemPreviewWindow::showItem(const QString &line)
{
    m_loader.startOver();
    m_waiting.clear();
    m_tiles->clear();
    // The headers are read here, on this thread: a few kilobytes per picture
    // from files the download has just written.
    const ItemPictures item = readItemPictures(DownloadedLine::parse(line), m_headers);
    m_title->setText(item.line.title);
    m_facts->setText(QStringLiteral("货号：%1　主图%2张　描述图%3张")
                         .arg(item.line.itemNo)
                         .arg(item.count(ItemPicture::Kind::Main))
                         .arg(item.count(ItemPicture::Kind::Desc)));
    m_problems = item.problems.join(QLatin1Char('\n'));
    showNotes(m_problems);

    for (const ItemPicture &picture : item.pictures) {
        auto *tile = new QListWidgetItem(QIcon(m_placeholder), tileText(picture), m_tiles);
        tile->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
        if (picture.state != ItemPicture::State::Shown) {
            tile->setForeground(QColor(192, 57, 43));
            tile->setFlags(tile->flags() & ~Qt::ItemIsSelectable);
        }
        if (picture.path.isEmpty())
            continue;
        tile->setData(PathRole, picture.path);
        tile->setToolTip(QDir::toNativeSeparators(picture.path));
        if (picture.state == ItemPicture::State::Shown)
            m_waiting.insert(picture.path, tile);
    }
    if (m_waiting.isEmpty()) {
        emit allShown();
        return;
    }
    // Cached thumbnails come back at once, so every tile is waited for first.
    for (const ItemPicture &picture : item.pictures) {
        if (m_waiting.contains(picture.path))
            m_loader.request(picture.path);
    }
}

void ItemPreviewWindow::thumbnailArrived(const QString &path, const QImage &thumbnail)
{
    if (QListWidgetItem *tile = m_waiting.value(path))
        tile->setIcon(QIcon(QPixmap::fromImage(thumbnail)));
    settled(path);
}

void ItemPreviewWindow::thumbnailFailed(const QString &path)
{
    if (QListWidgetItem *tile = m_waiting.value(path)) {
        tile->setText(tile->text().section(QLatin1Char('\n'), 0, 0) + QStringLiteral("\n无法读取"));
        tile->setForeground(QColor(192, 57, 43));
    }
    settled(path);
}

void ItemPreviewWindow::settled(const QString &path)
{
    if (m_waiting.remove(path) && m_waiting.isEmpty())
        emit allShown();
}

void ItemPreviewWindow::open(QListWidgetItem *tile)
{
    const QString path = tile->data(PathRole).toString();
    if (path.isEmpty())
        return;
    // A picture that opens takes away what an earlier one could not.
    showNotes(m_opener.openFile(path) ? m_problems
                                      : QStringLiteral("无法打开图片:") + QDir::toNativeSeparators(path));
}

void ItemPreviewWindow::showNotes(const QString &text)
{
    m_notes->setText(text);
    m_notes->setVisible(!text.isEmpty());
}
