#include "shell/window/main/main_form.h"

#include "collection/batch/batch_cycle.h"
#include "lists/list_commands.h"
#include "platform/net/net_check.h"
#include "platform/desktop/prompts.h"
#include "shop/shop_discovery.h"
#include "shell/browser/browser_area.h"
#include "shell/browser/owned_window.h"
#include "shell/browser/tray_icon.h"
#include "shell/window/main/address_strip.h"
#include "shell/window/batch/batch_panel.h"
#include "shell/window/lists/export_command.h"
#include "shell/window/main/focus_chain.h"
#include "shell/window/lists/item_list_view.h"
#include "shell/window/lists/listing_command.h"
#include "shell/window/log/log_window.h"
#include "shell/window/main/program_parts.h"
#include "shell/window/batch/progress_strip.h"
#include "shell/window/log/status_log_view.h"
#include "shell/window/main/toolbar_band.h"
#include "shell/window/watch/watch_window.h"
#include "platform/desktop/notifier.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QToolButton>
#include <QWebEngineView>

#include <algorithm>

namespace {

const QString ShowCaption = QStringLiteral("查看&L");
const QString HideCaption = QStringLiteral("隐藏&C");

// The bands the layout leaves to the design, and the area it fills between them.
static_assert(ToolbarBand::HeightTwips == AddressStrip::TopTwips);
static_assert(AddressStrip::TopTwips + AddressStrip::HeightTwips == WindowLayout::AreaTop);
static_assert(WindowLayout::AreaMargin - WindowLayout::AreaTop == ProgressStrip::HeightTwips);

double logicalDpi(const QWidget *widget)
{
    const QScreen *screen = widget->screen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

MainForm::MainForm(ProgramParts &core, const Desktop &desktop, QWidget *parent)
    : QMainWindow(parent)
    , m_core(core)
    , m_desktop(desktop)
    , m_twips(logicalDpi(this))
    , m_book([&core](qint16 index) { return index == 0 && core.batch().isItemUnderWay(); }, desktop.prompts)
    , m_addressRules(core.log())
    , m_favourites(core.programFolder())
    , m_skins(core.programFolder(), core.settings())
    , m_help(core.homePage(), desktop.prompts, desktop.opener)
    , m_client(new QWidget(this))
    , m_focus(new FocusChain(this))
{
    setObjectName(QStringLiteral("MainForm"));
    showCaption(QString());
    setCentralWidget(m_client);
    // Created in drawing order: the batch panel lies over the browser area.
    m_toolbar = new ToolbarBand(core.log(), m_client);
    m_address = new AddressStrip(core.homePage(), m_client);
    m_browsers = new BrowserArea(m_client, core.collectorView().view(), m_book, core.homePage());
    m_panel = new BatchPanel(core, desktop.folders, desktop.opener, m_client);
    m_panel->hide();
    m_progress = new ProgressStrip(core, m_client);
    m_export = new ExportCommand(core, desktop.folders, this);
    connect(m_export, &ExportCommand::progressed, m_progress, &ProgressStrip::showExport);
    connect(m_export, &ExportCommand::ended, m_progress, &ProgressStrip::hideExport);
    m_listing = new ListingCommand(core, this, this);
    m_listing->attachTo(m_panel->controls().alreadyDownedList);

    applyDesignSizes();
    buildMenus();
    wireBrowser();

    connect(m_toolbar->statusLog(), &StatusLogView::doubleClicked, this, &MainForm::showLogWindow);
    connect(m_panel, &BatchPanel::watchShopsRequested, this, &MainForm::showWatchWindow);
    connect(&core.notifier(), &Notifier::activated, this, &MainForm::showWatchWindow);
    connect(m_panel, &BatchPanel::inlineBoxToggled, this, &MainForm::Form_Resize);
    connect(m_address->ShowListCmd(), &QPushButton::clicked, this, &MainForm::ShowListCmd_Click);
    connect(m_address->AddToListCmd(), &QPushButton::clicked, this, &MainForm::AddToListCmd_Click);
    connect(m_address->AutoModeChk(), &QCheckBox::toggled, this, &MainForm::AutoModeChk_Click);

    // Big enough for three readable list columns at 1280×800, not a wall at 1920×1080.
    const QRect available = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    resize(std::min(int(available.width() * 0.94), 1600), std::min(int(available.height() * 0.92), 1000));
}

MainForm::~MainForm() = default;

bool MainForm::listsReadOnly() const
{
    return m_core.listFile().isReadOnly();
}

QString MainForm::readOnlyNotice()
{
    return QStringLiteral("另一个已打开的本程序窗口正在使用同一程序目录的下载列表:本窗口只用于浏览网页,"
                          "列表只读,对列表的改动不会保存到listdata.txt。");
}

QString MainForm::readOnlyCaptionSuffix()
{
    return QStringLiteral(" (列表只读)");
}

void MainForm::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("file"));
    const auto add = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &keys) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        return action;
    };
    connect(add(file, "new", QStringLiteral("新建"), QKeySequence(QStringLiteral("Ctrl+N"))), &QAction::triggered,
            this, &MainForm::new_Click);
    connect(add(file, "exportSheet", QStringLiteral("导出表格…"), QKeySequence()), &QAction::triggered, m_export,
            &ExportCommand::exportSheet_Click);
    connect(add(file, "makeListing", QStringLiteral("上架图片"), QKeySequence()), &QAction::triggered, m_listing,
            &ListingCommand::makeListing_Click);
    connect(add(file, "listingSettings", QStringLiteral("上架图片设置…"), QKeySequence()), &QAction::triggered,
            m_listing, &ListingCommand::listingSettings_Click);
    connect(add(file, "watchShops", QStringLiteral("店铺上新…"), QKeySequence(QStringLiteral("Ctrl+J"))),
            &QAction::triggered, this, &MainForm::showWatchWindow);
    QAction *exit = add(file, "exit", QStringLiteral("退出"), QKeySequence(QStringLiteral("Ctrl+E")));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(add(file, "Ver", QStringLiteral("版本"), QKeySequence(QStringLiteral("Ctrl+B"))), &QAction::triggered,
            this, [this] { m_help.Ver_Click(); });
    QMenu *help = menuBar()->addMenu(QStringLiteral("帮助"));
    help->setObjectName(QStringLiteral("Help"));
    connect(add(help, "HelpDoc", QStringLiteral("帮助文档"), QKeySequence(QStringLiteral("Ctrl+H"))),
            &QAction::triggered, this, [this] { m_help.HelpDoc_Click(); });
    // Also the tray icon's menu.
    m_fileMenu = file;
}

void MainForm::Form_Load()
{
    // Every step passes over its own failures: a missing skin, a page that does not load.
    m_skins.applyStored();
    if (m_core.listFile().isReadOnly())
        m_core.log().AddMesg(readOnlyNotice());
    // Only the exact text "False" switches auto mode off; unticking the box
    // stops the batch and stores the choice, as the user's untick does.
    if (!m_core.settings().autoMode()) {
        m_address->AutoModeChk()->setChecked(false);
    } else if (!m_core.listFile().isReadOnly()) {
        // Unreachable at start-up: nothing is started and nothing reported. The
        // box is read again as the answer comes: the user may have unticked it
        // meanwhile. A 整店采集 under way by then (the demo's) starts the batch
        // as it ends: a start now would only be paused for it.
        m_core.netCheck().CheckNetOpen(this, [this](bool reachable) {
            if (reachable && m_address->AutoModeChk()->isChecked() && !m_core.shop().isRunning())
                m_core.batch().StartPickCmd_Click();
        });
    }
    m_core.loadLists();
    // Nothing goes out unasked: the collector's view waits on an empty page.
    m_browsers->collectorView()->lower();
    m_core.collectorView().Navigate(QStringLiteral("about:blank"));
    m_browsers->openFirstTab();
    Form_Resize();
    m_tray->add();
    // The keyboard starts at the head of the address row, never in a page
    // (which would keep Tab among its links, hidden under the panel): the
    // first Tab goes to "<". Given now, it holds when the window activates.
    m_address->setFocus(Qt::OtherFocusReason);
}

void MainForm::applyDesignSizes()
{
    const auto px = [this](int twips) { return m_twips.toPixels(twips); };
    m_toolbar->arrange(px(ToolbarBand::HeightTwips), px(WindowLayout::ContactButtonWidth));
    m_address->setDesignSizes(px);
    m_browsers->setDesignSizes(px(255), px(240));
    m_panel->setDesignSizes(m_twips);
    // No smaller than every control needs whole in this look: the window
    // then fits a 1920×1080 screen at display scaling 2 (960×540).
    WindowLayout::PanelInput panel = m_panel->layoutInput(m_twips);
    panel.xqkfLeft = m_twips.fromPixels(m_toolbar->contactButton()->x());
    const WindowLayout::Size least = WindowLayout::minimumClient(panel);
    m_client->setMinimumSize(px(least.width), px(least.height));
}

void MainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void MainForm::Form_Resize()
{
    const int widthPx = m_client->width(), heightPx = m_client->height();
    // The bands the arithmetic leaves to the design: full width at fixed heights.
    m_toolbar->setGeometry(0, 0, widthPx, m_twips.toPixels(ToolbarBand::HeightTwips));
    m_address->setGeometry(0, m_twips.toPixels(AddressStrip::TopTwips), widthPx,
                           m_twips.toPixels(AddressStrip::HeightTwips));
    const int stripHeight = m_twips.toPixels(ProgressStrip::HeightTwips);
    m_progress->setGeometry(0, heightPx - stripHeight, widthPx, stripHeight);

    WindowLayout::FormInput in;
    in.width = m_twips.fromPixels(widthPx);
    in.height = m_twips.fromPixels(heightPx);
    const QList<qint16> tabs = m_book.TabList();
    in.tabList = QList<int>(tabs.cbegin(), tabs.cend());
    const QList<WindowLayout::Move> moves = WindowLayout::formResize(in);
    applyMoves(moves);
    if (moves.isEmpty() || moves.last().control != QLatin1String("batModeFrame"))
        return;
    WindowLayout::PanelInput panel = m_panel->layoutInput(m_twips);
    panel.xqkfLeft = m_twips.fromPixels(m_toolbar->contactButton()->x());
    applyMoves(WindowLayout::batModeFrameResize(panel));
}

QWidget *MainForm::controlAt(const WindowLayout::Move &move) const
{
    const qint16 index = qint16(move.index);
    const QString &name = move.control;
    if (name == u"WebBrowser1")
        return m_browsers->view(index);
    if (name == u"mesg")
        return m_browsers->message(index);
    if (name == u"TabStrip1")
        return m_browsers->tabStrip();
    if (name == u"PickWebBro")
        return m_browsers->collectorView();
    if (name == u"Close_B")
        return m_browsers->closeButton();
    if (name == u"urladress")
        return m_address->urladress();
    if (name == u"AddToListCmd")
        return m_address->AddToListCmd();
    if (name == u"ShowListCmd")
        return m_address->ShowListCmd();
    if (name == u"AutoModeChk")
        return m_address->AutoModeChk();
    if (name == u"batModeFrame")
        return m_panel;
    if (name == u"mesgText")
        return m_toolbar->statusLog();
    return m_panel->control(name);
}

void MainForm::applyMoves(const QList<WindowLayout::Move> &moves)
{
    for (const WindowLayout::Move &move : moves) {
        QWidget *w = controlAt(move);
        if (!w)
            continue;
        w->setGeometry(m_twips.toPixels(move.left), m_twips.toPixels(move.top),
                       move.width ? m_twips.toPixels(*move.width) : w->width(),
                       move.height ? m_twips.toPixels(*move.height) : w->height());
    }
}

bool MainForm::focusNextPrevChild(bool next)
{
    QList<QWidget *> chain{m_address->goback(),       m_address->GoForward(),   m_address->urladress(),
                           m_address->AddToListCmd(), m_address->ShowListCmd(), m_address->AutoModeChk()};
    if (m_panel->isVisible())
        chain += m_panel->focusOrder();
    else
        chain += {m_browsers->tabStrip(), m_browsers->closeButton(), m_browsers->currentView()};
    return m_focus->move(chain, next) || QMainWindow::focusNextPrevChild(next);
}

void MainForm::ShowListCmd_Click()
{
    QPushButton *button = m_address->ShowListCmd();
    if (button->text() == ShowCaption) {
        // Out of the browsers the panel is about to cover (Alt+L from a page).
        const QWidget *focus = QApplication::focusWidget();
        if (focus && isAncestorOf(focus) && !m_address->isAncestorOf(focus) && !m_toolbar->isAncestorOf(focus)
            && !m_progress->isAncestorOf(focus) && focus != button)
            button->setFocus(Qt::OtherFocusReason);
        m_panel->show();
        m_panel->raise();
        button->setText(HideCaption);
        button->setToolTip(QStringLiteral("ALT+C"));
        m_core.log().AddMesg(QStringLiteral("显示下载列表"));
    } else {
        // Not into the browsers' controls the panel uncovers.
        if (m_panel->isAncestorOf(QApplication::focusWidget()))
            button->setFocus(Qt::OtherFocusReason);
        m_panel->hide();
        button->setText(ShowCaption);
        button->setToolTip(QStringLiteral("ALT+L"));
        m_core.log().AddMesg(QStringLiteral("隐藏下载列表"));
    }
}

void MainForm::showLogWindow()
{
    if (!m_logWindow)
        m_logWindow = new LogWindow(m_core.log(), this);
    placeOverOwner(m_logWindow);
    m_logWindow->show();
    m_logWindow->raise();
    m_logWindow->activateWindow();
}

void MainForm::showWatchWindow()
{
    if (!m_watchWindow)
        m_watchWindow = new WatchWindow(m_core, [this] { return m_address->urladress()->currentText(); }, this);
    placeOverOwner(m_watchWindow);
    m_watchWindow->show();
    m_watchWindow->raise();
    m_watchWindow->activateWindow();
}

void MainForm::AutoModeChk_Click(bool ticked)
{
    if (ticked) {
        m_core.batch().StartPickCmd_Click();
        m_core.log().AddMesg(QStringLiteral("开启自动模式,下次打开软件自动启动采集."));
    } else {
        m_core.batch().StopPickCmd_Click();
        m_core.log().AddMesg(QStringLiteral("关闭自动模式,下次打开软件需手动启动采集."));
    }
    QString error;
    if (!m_core.settings().setAutoMode(ticked, &error))
        m_core.log().AddMesg(QStringLiteral("自动模式设置未能保存,原因:") + error);
}

void MainForm::AddToListCmd_Click()
{
    m_panel->listCommands().AddToListCmd_Click(m_address->urladress()->currentText(), m_desktop.prompts);
}

void MainForm::closeEvent(QCloseEvent *event)
{
    // Closing is never refused.
    if (!m_unloaded) {
        m_unloaded = true;
        const bool saved = m_core.shutDown();
        m_tray->remove();
        if (m_logWindow)
            m_logWindow->close();
        if (m_watchWindow)
            m_watchWindow->close();
        if (saved)
            emit unloaded(0);
        else
            tellListsNotSaved();
    }
    event->accept();
}

void MainForm::tellListsNotSaved()
{
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const std::optional<QString> copy = m_core.rescueLists(dataFolder);
    QString text = QStringLiteral("下载列表未能保存到 ") + m_core.listFile().path() + QStringLiteral("\r\n原因:")
        + m_core.listFile().lastError() + QStringLiteral("\r\n\r\n");
    if (copy) {
        text += QStringLiteral("本次的列表已另存为 ") + *copy
            + QStringLiteral("\r\n可在程序关闭后把它改名为 listdata.txt,替换程序目录中的原文件。");
    } else {
        text += QStringLiteral("另存副本也未能写入(程序目录和 ") + dataFolder
            + QStringLiteral("),本次对列表的改动未能保留。");
    }
    // The program ends once the message has been read.
    m_desktop.prompts.showMessage(Prompts::Icon::Critical, QStringLiteral("保存列表失败"), text,
                                  [this] { emit unloaded(ListsNotSavedStatus); });
}
