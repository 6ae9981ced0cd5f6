#include "shell/window/batch/batch_panel.h"

#include "download/save_folder.h"
#include "lists/downloaded_commands.h"
#include "lists/item_number_edit.h"
#include "lists/list_commands.h"
#include "shell/window/main/caption_width.h"
#include "shell/window/main/hint_line_edit.h"
#include "shell/window/lists/item_list_view.h"
#include "shell/window/main/program_parts.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextLayout>

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Design sizes in twips of the controls the layout only moves.
constexpr int ButtonWidth = 1000, ButtonHeight = 450;
constexpr int SmallButtonHeight = 330;
constexpr int BoxHeight = WindowLayout::InlineBoxHeight;

} // namespace

BatchPanel::BatchPanel(ProgramParts &core, FolderPicker &folders, Opener &opener, QWidget *parent)
    : QGroupBox(QStringLiteral("批量模式"), parent)
    , m_core(core)
    , m_opener(opener)
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
    wirePreview();
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
    // As the box's own first line says what a line holds.
    m_c.addUrlLbl = addLabel(QStringLiteral("addUrlLbl"), QStringLiteral("宝贝URL(格式:url|自定义宝贝名[可选]):"));
    m_c.addUrlText = new QPlainTextEdit(this);
    m_c.addUrlText->setObjectName(QStringLiteral("AddUrlText"));
    m_c.addUrlText->setLineWrapMode(QPlainTextEdit::NoWrap);
    // A tab character has no place in an address line.
    m_c.addUrlText->setTabChangesFocus(true);
    m_c.addUrlText->installEventFilter(this);

    m_c.addUrlCmd = addButton(QStringLiteral("addUrlCmd"), QStringLiteral("加入>>"));
    m_c.delUrlCmd = addButton(QStringLiteral("DelUrlCmd"), QStringLiteral("删除X"));
    m_c.startPickCmd = addButton(QStringLiteral("StartPickCmd"), QStringLiteral("启动"));
    m_c.stopPickCmd = addButton(QStringLiteral("StopPickCmd"), QStringLiteral("暂停"));
    m_c.insertToTopCmd = addButton(QStringLiteral("InsertToTopCmd"), QStringLiteral("置顶"));
    m_c.fastPickChk = new QCheckBox(QStringLiteral("快速采集"), this);
    m_c.fastPickChk->setObjectName(QStringLiteral("FastPickChk"));
    m_c.fastPickChk->setToolTip(QStringLiteral("勾选:页面滚动和图片下载尽可能快;不勾选:标准速度,对市场网站更温和"));
    m_c.skipDownloadedChk = new QCheckBox(QStringLiteral("跳过已下载"), this);
    m_c.skipDownloadedChk->setObjectName(QStringLiteral("SkipDownloadedChk"));
    m_c.skipDownloadedChk->setToolTip(QStringLiteral("勾选:已下载列表中已有的宝贝(同一网页地址)不再采集,整店采集只加入新宝贝"));
    m_c.collectorsLbl = addLabel(QStringLiteral("CollectorsLbl"), QStringLiteral("同时采集"));
    m_c.collectorsBox = new QSpinBox(this);
    m_c.collectorsBox->setObjectName(QStringLiteral("CollectorsBox"));
    m_c.collectorsBox->setRange(1, BatchCycle::MaxCollectors);
    m_c.collectorsBox->setToolTip(QStringLiteral("同时采集几个宝贝(每个宝贝一个隐藏网页),从下一个宝贝起生效"));
    m_c.collectorsLbl->setBuddy(m_c.collectorsBox);
    m_c.watchShopsCmd = addButton(QStringLiteral("WatchShopsCmd"), QStringLiteral("店铺上新"));
    m_c.watchShopsCmd->setToolTip(QStringLiteral("监控店铺的新宝贝:定时检查,自动采集,桌面通知"));
    // Two labels that take turns: a blinking light beside the pending list.
    m_c.proNumLbl = addLabel(QStringLiteral("ProNumLbl"), QString());
    m_c.proDenLbl = addLabel(QStringLiteral("ProDenLbl"), QString());
    for (QLabel *light : {m_c.proNumLbl, m_c.proDenLbl})
        light->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_c.proNumLbl->setStyleSheet(QStringLiteral("color: #1f6fd0; font-weight: bold"));
    m_c.proDenLbl->setStyleSheet(QStringLiteral("color: #d23c3c; font-weight: bold"));

    m_c.readyUrlLbl = addLabel(QStringLiteral("ReadyUrlLbl"), QStringLiteral("待下载宝贝URL："));
    m_c.readyDownList = new ItemListView(m_core.lists().readyDownList(), QStringLiteral("readyDownList"), this);
    m_c.shopUrlText = new HintLineEdit(QStringLiteral("ShopUrlText"), this);
    m_c.asBabyUrlAlaCmd = addButton(QStringLiteral("ASBabyUrlAlaCmd"), QStringLiteral("整店采集"));

    m_c.alreadyDownedLbl = addLabel(QStringLiteral("alreadyDownedlbl"), QStringLiteral("已下载宝贝URL："));
    m_c.findAdlCmd = addButton(QStringLiteral("FindADLCmd"), QStringLiteral("查找"));
    m_c.findUpCmd = addButton(QStringLiteral("FindUpCmd"), QStringLiteral("上一个"));
    m_c.findNextCmd = addButton(QStringLiteral("FindNextCmd"), QStringLiteral("下一个"));
    m_c.alreadyDownedList = new ItemListView(m_core.lists().AlreadyDownedList(), QStringLiteral("AlreadyDownedList"), this);
    m_c.alreadyDownedList->setToolTip(QStringLiteral("双击打开宝贝所在目录"));
    m_c.findStrLbl = addLabel(QStringLiteral("FindStrLbl"), QStringLiteral("查找："));
    m_c.findStrText = new HintLineEdit(QStringLiteral("FindStrText"), this);
    m_c.findStrLbl->setBuddy(m_c.findStrText);

    m_c.delCmd = addButton(QStringLiteral("DelCmd"), QStringLiteral("删除X"));
    m_c.rePickCmd = addButton(QStringLiteral("RePickCmd"), QStringLiteral("<<重下"));
    m_c.setSavePathCmd = addButton(QStringLiteral("SetSavePathCmd"), QStringLiteral("保存目录"));
    m_c.openSavePathCmd = addButton(QStringLiteral("OpenSavePathCmd"), QStringLiteral("打开目录"));
    m_c.editBabyNumCmd = addButton(QStringLiteral("EditBabyNumCmd"), ItemNumberEdit::restingCaption());
    m_c.newBabyNumLbl = addLabel(QStringLiteral("NewBabyNumLbl"), QStringLiteral("新货号："));
    m_c.newBabyNumText = new HintLineEdit(QStringLiteral("NewBabyNumText"), this);
    m_c.newBabyNumLbl->setBuddy(m_c.newBabyNumText);
    m_c.openWebCmd = addButton(QStringLiteral("OpenWebCmd"), QStringLiteral("打开网址"));
    m_c.previewCmd = addButton(QStringLiteral("PreviewCmd"), QStringLiteral("预览"));
    m_c.previewCmd->setToolTip(QStringLiteral("查看选中宝贝的主图和描述图(在已下载列表中按空格键也可以)"));

    // Over everything else in the panel, shown while the pointer is over a list.
    m_c.listInfoText = new QPlainTextEdit(this);
    m_c.listInfoText->setObjectName(QStringLiteral("listInfoText"));
    m_c.listInfoText->setReadOnly(true);
    m_c.listInfoText->setFocusPolicy(Qt::NoFocus);
    // An entry is one long line: it wraps anywhere, as the box's size reckons.
    m_c.listInfoText->setWordWrapMode(QTextOption::WrapAnywhere);
    m_c.listInfoText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_c.listInfoText->hide();

    // The layout arithmetic names the controls it places.
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_c.addUrlLbl, m_c.addUrlText, m_c.addUrlCmd, m_c.delUrlCmd, m_c.startPickCmd, m_c.stopPickCmd,
             m_c.insertToTopCmd, m_c.fastPickChk, m_c.skipDownloadedChk, m_c.collectorsLbl, m_c.collectorsBox, m_c.watchShopsCmd, m_c.proNumLbl, m_c.proDenLbl, m_c.readyUrlLbl, m_c.readyDownList,
             m_c.shopUrlText, m_c.asBabyUrlAlaCmd, m_c.alreadyDownedLbl, m_c.findAdlCmd, m_c.findUpCmd,
             m_c.findNextCmd, m_c.alreadyDownedList, m_c.findStrLbl, m_c.findStrText, m_c.delCmd, m_c.rePickCmd,
             m_c.setSavePathCmd, m_c.openSavePathCmd, m_c.editBabyNumCmd, m_c.newBabyNumLbl, m_c.newBabyNumText,
             m_c.openWebCmd, m_c.previewCmd, m_c.listInfoText})
        m_byName.insert(w->objectName(), w);
}

QWidget *BatchPanel::control(const QString &name) const
{
    return m_byName.value(name);
}

QList<QWidget *> BatchPanel::focusOrder() const
{
    return {m_c.addUrlText,    m_c.addUrlCmd,       m_c.delUrlCmd,        m_c.startPickCmd,   m_c.stopPickCmd,
            m_c.insertToTopCmd, m_c.fastPickChk,    m_c.skipDownloadedChk, m_c.collectorsBox, m_c.watchShopsCmd, m_c.readyDownList, m_c.shopUrlText,
            m_c.asBabyUrlAlaCmd, m_c.delCmd,        m_c.rePickCmd,        m_c.setSavePathCmd, m_c.openSavePathCmd,
            m_c.editBabyNumCmd, m_c.newBabyNumText, m_c.openWebCmd,       m_c.previewCmd,     m_c.alreadyDownedList,
            m_c.findStrText,    m_c.findAdlCmd,     m_c.findUpCmd,        m_c.findNextCmd};
}

void BatchPanel::setDesignSizes(const WindowLayout::Twips &twips)
{
    m_twips = twips;
    // Captions stay whole in any font: a control is as wide as its design or its text.
    for (QPushButton *button : {m_c.addUrlCmd, m_c.delUrlCmd, m_c.startPickCmd, m_c.stopPickCmd, m_c.insertToTopCmd,
                                m_c.delCmd, m_c.rePickCmd, m_c.setSavePathCmd, m_c.openSavePathCmd, m_c.editBabyNumCmd,
                                m_c.openWebCmd, m_c.previewCmd, m_c.watchShopsCmd})
        button->resize(std::max(twips.toPixels(ButtonWidth), captionWidth(button)), twips.toPixels(ButtonHeight));
    // The headings' buttons as wide as their captions: in a narrow window the
    // downloaded list's heading holds its label and three of them.
    for (QPushButton *button : {m_c.asBabyUrlAlaCmd, m_c.findAdlCmd, m_c.findUpCmd, m_c.findNextCmd})
        button->resize(captionWidth(button), twips.toPixels(SmallButtonHeight));
    for (QCheckBox *box : {m_c.fastPickChk, m_c.skipDownloadedChk})
        box->resize(std::max(twips.toPixels(1250), box->sizeHint().width()), twips.toPixels(BoxHeight));
    m_c.collectorsLbl->resize(m_c.collectorsLbl->sizeHint().width(), twips.toPixels(BoxHeight));
    m_c.collectorsBox->resize(m_c.collectorsBox->sizeHint().width(), twips.toPixels(BoxHeight));
    for (QWidget *box : std::initializer_list<QWidget *>{m_c.shopUrlText, m_c.findStrText, m_c.newBabyNumText})
        box->resize(box->width(), twips.toPixels(WindowLayout::InlineBoxHeight));
    for (QLabel *label : {m_c.addUrlLbl, m_c.readyUrlLbl, m_c.alreadyDownedLbl})
        label->resize(label->sizeHint().width() + twips.toPixels(60), twips.toPixels(300));
    for (QLabel *label : {m_c.findStrLbl, m_c.newBabyNumLbl})
        label->resize(label->sizeHint().width() + twips.toPixels(60), twips.toPixels(WindowLayout::InlineBoxHeight));
}

QString BatchPanel::indicatorText(const QString &caption)
{
    // Read downwards, a character to a line: the column is narrower than "采集中...".
    return QStringList(caption.split(QString(), Qt::SkipEmptyParts)).join(u'\n');
}

WindowLayout::PanelInput BatchPanel::layoutInput(const WindowLayout::Twips &twips) const
{
    const auto width = [&](const QWidget *w) { return twips.fromPixels(w->width()); };
    WindowLayout::PanelInput in;
    in.width = twips.fromPixels(this->width()) - WindowLayout::PanelRightMargin;
    in.height = twips.fromPixels(this->height());
    in.alreadyDownedLblWidth = width(m_c.alreadyDownedLbl);
    in.findAdlCmdWidth = width(m_c.findAdlCmd);
    in.findUpCmdWidth = width(m_c.findUpCmd);
    in.findNextCmdWidth = width(m_c.findNextCmd);
    in.readyUrlLblWidth = width(m_c.readyUrlLbl);
    in.shopBoxShown = m_c.shopUrlText->isVisibleTo(this);
    in.findBoxShown = m_c.findStrText->isVisibleTo(this);
    in.numberBoxShown = m_c.newBabyNumText->isVisibleTo(this);
    in.editBabyNumCmdWidth = width(m_c.editBabyNumCmd);
    in.asBabyUrlAlaCmdWidth = width(m_c.asBabyUrlAlaCmd);
    in.collectorsLblWidth = width(m_c.collectorsLbl);
    in.addUrlLblWidth = width(m_c.addUrlLbl);
    in.findStrLblWidth = width(m_c.findStrLbl);
    in.newBabyNumLblWidth = width(m_c.newBabyNumLbl);
    // The indicator's longest caption, read downwards, in its own (bold) font.
    m_c.proNumLbl->ensurePolished();
    const QRect caption = m_c.proNumLbl->fontMetrics().boundingRect(QRect(), Qt::AlignLeft,
                                                                     indicatorText(QStringLiteral("采集中...")));
    in.indicatorHeight = twips.fromPixels(caption.height() + 2 * m_c.proNumLbl->margin()) + 1;
    return in;
}

void BatchPanel::mouseMoveEvent(QMouseEvent *event)
{
    // batModeFrame_MouseMove: the pointer left the lists for the panel's background.
    m_c.listInfoText->hide();
    QGroupBox::mouseMoveEvent(event);
}

void BatchPanel::hover(ItemListView *list, const QPoint &pointer, double rowsFromFirst)
{
    const ItemList &entries = *static_cast<ItemList *>(list->model());
    // Measured from the middle of the first row: the rounding then picks the
    // entry under the pointer over the whole height of its row.
    const std::optional<int> row =
        WindowLayout::hoverRow(int(std::lround((rowsFromFirst - 0.5) * WindowLayout::HoverRowTwips)), entries.count());
    // Past the entries: the box of the row the pointer left goes.
    if (!row) {
        m_c.listInfoText->hide();
        return;
    }
    const WindowLayout::HoverBox box =
        WindowLayout::hoverBox(m_twips.fromPixels(list->x()), m_twips.fromPixels(list->y()),
                               m_twips.fromPixels(pointer.x()), m_twips.fromPixels(pointer.y()));
    const QString text = entries.at(*row);
    const QSize size = fittedInfoSize(text, {m_twips.toPixels(box.width), m_twips.toPixels(box.height)});
    // Kept inside the panel when the pointer is near its right edge.
    const int left = std::max(0, std::min(m_twips.toPixels(box.left), width() - size.width()));
    m_c.listInfoText->setPlainText(text);
    m_c.listInfoText->setGeometry(left, m_twips.toPixels(box.top), size.width(), size.height());
    m_c.listInfoText->show();
    m_c.listInfoText->raise();
}

QSize BatchPanel::fittedInfoSize(const QString &text, const QSize &design) const
{
    const QFontMetrics metrics(m_c.listInfoText->font());
    // The frame, the document's margin and a pixel for the cursor on either side.
    const int edges = 2 * (m_c.listInfoText->frameWidth() + qCeil(m_c.listInfoText->document()->documentMargin()) + 1);
    const int textWidth = std::max(1, design.width() - edges);
    QTextLayout layout(text, m_c.listInfoText->font());
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
