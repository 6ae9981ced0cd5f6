#include "shell/batch_panel.h"

#include "download/save_folder.h"
#include "lists/downloaded_commands.h"
#include "lists/item_number_edit.h"
#include "lists/list_commands.h"
#include "shell/hint_line_edit.h"
#include "shell/item_list_view.h"
#include "shell/program_core.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextLayout>

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Design sizes in twips of the controls the layout only moves.
constexpr int ButtonWidth = 1000, ButtonHeight = 450;
constexpr int SmallButtonHeight = 330;
constexpr int BoxHeight = 330;

} // namespace

BatchPanel::BatchPanel(ProgramCore &core, FolderPicker &folders, Opener &opener, QWidget *parent)
    : QGroupBox(QStringLiteral("批量模式"), parent)
    , m_core(core)
{
    setObjectName(QStringLiteral("batModeFrame"));
    // The panel covers the browsers behind it.
    setAutoFillBackground(true);
    setMouseTracking(true);
    m_listCommands = std::make_unique<ListCommands>(core.lists(), core.listFile(), core.log());
    m_downloadedCommands = std::make_unique<DownloadedCommands>(core.lists(), core.listFile(), core.search(),
                                                                core.log(), opener);
    m_saveFolder = std::make_unique<SaveFolder>(core.settings(), core.log(), folders, opener);
    m_itemNumbers = new ItemNumberEdit(core.lists().AlreadyDownedList(), core.listFile(), core.search(), core.log(),
                                       this);
    build();
    wireLists();
    wireBatch();
    wireSearchAndShop();
    wireDownloaded();
}

BatchPanel::~BatchPanel() = default;

void BatchPanel::paintEvent(QPaintEvent *event)
{
    // The panel covers the browsers behind it, but a skin's frame leaves a
    // margin for its title and round corners unpainted (and a style sheet
    // turns the automatic background off): without this the page and the
    // tab strip show through there.
    QPainter(this).fillRect(rect(), palette().window());
    QGroupBox::paintEvent(event);
}

QPushButton *BatchPanel::addButton(const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    return button;
}

QLabel *BatchPanel::addLabel(const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(name);
    return label;
}

void BatchPanel::build()
{
    addLabel(QStringLiteral("addUrlLbl"), QStringLiteral("宝贝URL(格式:url|货号[可选]):"));
    m_addUrlText = new QPlainTextEdit(this);
    m_addUrlText->setObjectName(QStringLiteral("AddUrlText"));
    m_addUrlText->setLineWrapMode(QPlainTextEdit::NoWrap);

    addButton(QStringLiteral("addUrlCmd"), QStringLiteral("加入>>"));
    addButton(QStringLiteral("DelUrlCmd"), QStringLiteral("删除X"));
    addButton(QStringLiteral("StartPickCmd"), QStringLiteral("启动"));
    addButton(QStringLiteral("StopPickCmd"), QStringLiteral("暂停"));
    addButton(QStringLiteral("InsertToTopCmd"), QStringLiteral("置顶"));
    m_fastPick = new QCheckBox(QStringLiteral("快速采集"), this);
    m_fastPick->setObjectName(QStringLiteral("FastPickChk"));
    m_fastPick->setToolTip(QStringLiteral("勾选:页面滚动和图片下载尽可能快;不勾选:标准速度,对市场网站更温和"));
    // Two labels that take turns: a blinking light beside the pending list.
    m_proNum = addLabel(QStringLiteral("ProNumLbl"), QString());
    m_proDen = addLabel(QStringLiteral("ProDenLbl"), QString());
    for (QLabel *light : {m_proNum, m_proDen}) {
        light->setWordWrap(true);
        light->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    m_proNum->setStyleSheet(QStringLiteral("color: #1f6fd0; font-weight: bold"));
    m_proDen->setStyleSheet(QStringLiteral("color: #d23c3c; font-weight: bold"));

    addLabel(QStringLiteral("ReadyUrlLbl"), QStringLiteral("待下载宝贝URL："));
    m_ready = new ItemListView(m_core.lists().readyDownList(), QStringLiteral("readyDownList"), this);
    m_shopUrl = new HintLineEdit(QStringLiteral("ShopUrlText"), this);
    addButton(QStringLiteral("ASBabyUrlAlaCmd"), QStringLiteral("整店采集"));

    addLabel(QStringLiteral("alreadyDownedlbl"), QStringLiteral("已下载宝贝URL："));
    addButton(QStringLiteral("FindADLCmd"), QStringLiteral("查找"));
    addButton(QStringLiteral("FindUpCmd"), QStringLiteral("上一个"));
    addButton(QStringLiteral("FindNextCmd"), QStringLiteral("下一个"));
    m_downloaded = new ItemListView(m_core.lists().AlreadyDownedList(), QStringLiteral("AlreadyDownedList"), this);
    m_downloaded->setToolTip(QStringLiteral("双击打开宝贝所在目录"));
    m_findStr = new HintLineEdit(QStringLiteral("FindStrText"), this);

    addButton(QStringLiteral("DelCmd"), QStringLiteral("删除X"));
    addButton(QStringLiteral("RePickCmd"), QStringLiteral("<<重下"));
    addButton(QStringLiteral("SetSavePathCmd"), QStringLiteral("保存目录"));
    addButton(QStringLiteral("OpenSavePathCmd"), QStringLiteral("打开目录"));
    addButton(QStringLiteral("EditBabyNumCmd"), ItemNumberEdit::restingCaption());
    m_newBabyNum = new HintLineEdit(QStringLiteral("NewBabyNumText"), this);
    addButton(QStringLiteral("OpenWebCmd"), QStringLiteral("打开网址"));

    // Over everything else in the panel, shown while the pointer is over a list.
    m_listInfo = new QPlainTextEdit(this);
    m_listInfo->setObjectName(QStringLiteral("listInfoText"));
    m_listInfo->setReadOnly(true);
    // An entry is one long line: it wraps anywhere, as the box's size reckons.
    m_listInfo->setWordWrapMode(QTextOption::WrapAnywhere);
    m_listInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listInfo->hide();
}

void BatchPanel::setDesignSizes(const WindowLayout::Twips &twips)
{
    m_twips = twips;
    const auto size = [&](const QString &name, int width, int height) {
        if (auto *w = findChild<QWidget *>(name))
            w->resize(twips.toPixels(width), twips.toPixels(height));
    };
    for (const char *name : {"addUrlCmd", "DelUrlCmd", "StartPickCmd", "StopPickCmd", "InsertToTopCmd", "DelCmd",
                             "RePickCmd", "SetSavePathCmd", "OpenSavePathCmd", "EditBabyNumCmd", "OpenWebCmd"})
        size(QLatin1String(name), ButtonWidth, ButtonHeight);
    size(QStringLiteral("ASBabyUrlAlaCmd"), ButtonWidth, SmallButtonHeight);
    size(QStringLiteral("FindADLCmd"), 700, SmallButtonHeight);
    size(QStringLiteral("FindUpCmd"), 800, SmallButtonHeight);
    size(QStringLiteral("FindNextCmd"), 800, SmallButtonHeight);
    size(QStringLiteral("NewBabyNumText"), 1400, ButtonHeight);
    size(QStringLiteral("FastPickChk"), 1250, BoxHeight);
    for (QWidget *box : {static_cast<QWidget *>(m_shopUrl), static_cast<QWidget *>(m_findStr)})
        box->resize(box->width(), twips.toPixels(BoxHeight));
    for (QLabel *label : findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label != m_proNum && label != m_proDen)
            label->resize(label->sizeHint().width() + twips.toPixels(60), twips.toPixels(300));
    }
}

WindowLayout::PanelInput BatchPanel::layoutInput(const WindowLayout::Twips &twips) const
{
    const auto width = [&](const char *name) {
        const auto *w = findChild<QWidget *>(QLatin1String(name));
        return w ? twips.fromPixels(w->width()) : 0;
    };
    WindowLayout::PanelInput in;
    in.width = twips.fromPixels(this->width());
    in.height = twips.fromPixels(this->height());
    in.alreadyDownedLblWidth = width("alreadyDownedlbl");
    in.findAdlCmdWidth = width("FindADLCmd");
    in.findUpCmdWidth = width("FindUpCmd");
    in.editBabyNumCmdWidth = width("EditBabyNumCmd");
    in.asBabyUrlAlaCmdWidth = width("ASBabyUrlAlaCmd");
    return in;
}

void BatchPanel::mouseMoveEvent(QMouseEvent *event)
{
    // batModeFrame_MouseMove: the pointer left the lists for the panel's background.
    m_listInfo->hide();
    QGroupBox::mouseMoveEvent(event);
}

void BatchPanel::hover(ItemListView *list, const QPoint &pointer, double rowsFromFirst)
{
    const ItemList &entries = *static_cast<ItemList *>(list->model());
    // Measured from the middle of the first row: the rounding then picks the
    // entry under the pointer over the whole height of its row.
    const std::optional<int> row =
        WindowLayout::hoverRow(int(std::lround((rowsFromFirst - 0.5) * WindowLayout::HoverRowTwips)), entries.count());
    if (!row)
        return;
    const WindowLayout::HoverBox box =
        WindowLayout::hoverBox(m_twips.fromPixels(list->x()), m_twips.fromPixels(list->y()),
                               m_twips.fromPixels(pointer.x()), m_twips.fromPixels(pointer.y()));
    const QString text = entries.at(*row);
    const QSize size = fittedInfoSize(text, {m_twips.toPixels(box.width), m_twips.toPixels(box.height)});
    // Kept inside the panel when the pointer is near its right edge.
    const int left = std::max(0, std::min(m_twips.toPixels(box.left), width() - size.width()));
    m_listInfo->setPlainText(text);
    m_listInfo->setGeometry(left, m_twips.toPixels(box.top), size.width(), size.height());
    m_listInfo->show();
    m_listInfo->raise();
}

QSize BatchPanel::fittedInfoSize(const QString &text, const QSize &design) const
{
    const QFontMetrics metrics(m_listInfo->font());
    // The frame, the document's margin and a pixel for the cursor on either side.
    const int edges = 2 * (m_listInfo->frameWidth() + qCeil(m_listInfo->document()->documentMargin()) + 1);
    const int textWidth = std::max(1, design.width() - edges);
    QTextLayout layout(text, m_listInfo->font());
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAnywhere);
    layout.setTextOption(wrap);
    layout.beginLayout();
    int lines = 0;
    qreal widest = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(textWidth);
        widest = std::max(widest, line.naturalTextWidth());
        ++lines;
    }
    layout.endLayout();
    return {std::min(std::max(qCeil(widest), metrics.averageCharWidth()) + edges, design.width()),
            std::min(std::max(lines, 1) * metrics.lineSpacing() + edges, design.height())};
}
