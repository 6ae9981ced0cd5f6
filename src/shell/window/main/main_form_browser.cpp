// The browser side of the main window: the toolbar, the address bar, the
// tabs' captions, favourites, skins, the tray, help and "新建".
#include "shell/window/main/main_form.h"

#include "download/save_folder.h"
#include "platform/desktop/prompts.h"
#include "shell/browser/another_copy.h"
#include "shell/browser/browser_area.h"
#include "shell/browser/favourites_window.h"
#include "shell/browser/skin_window.h"
#include "shell/browser/tray_icon.h"
#include "shell/browser/user_downloads.h"
#include "shell/window/main/address_strip.h"
#include "shell/window/main/app_icon.h"
#include "shell/window/batch/batch_panel.h"
#include "shell/window/main/program_parts.h"
#include "shell/window/main/toolbar_band.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const QString ProgramTitle = QStringLiteral("Zorvane产品图片下载器");

} // namespace

void MainForm::wireBrowser()
{
    for (int position = ToolbarBand::Paste; position <= ToolbarBand::ChangeSkin; ++position) {
        connect(m_toolbar->button(ToolbarBand::Button(position)), &QAction::triggered, this,
                [this, position] { Toolbar1_ButtonClick(position); });
    }
    connect(m_toolbar->contactButton(), &QToolButton::clicked, this, [this] { m_help.xqkf_Click(); });

    connect(m_address, &AddressStrip::urladressEntered, this, &MainForm::urladress_KeyPress);
    connect(m_address->goback(), &QPushButton::clicked, &m_book, &TabBook::goback_Click);
    connect(m_address->GoForward(), &QPushButton::clicked, &m_book, &TabBook::GoForward_Click);
    connect(m_browsers, &BrowserArea::currentAddressChanged, m_address->urladress(), &QComboBox::setEditText);
    connect(m_browsers, &BrowserArea::currentTitleShown, this, &MainForm::showCaption);
    connect(&m_book, &TabBook::windowCaptionChanged, this, &MainForm::showCaption);
    // A new tab's browser takes its place in the layout.
    connect(&m_book, &TabBook::tabOpened, this, &MainForm::Form_Resize);
    // The marketplace wants the user to pass its check: its page in a tab of
    // its own, in view. The tabs share the collector's cookies.
    connect(&m_core.batch(), &BatchCycle::verificationWall, this, [this](const QString &address) {
        if (m_panel->isVisible())
            ShowListCmd_Click();
        m_book.NewP();
        if (QWebEngineView *view = m_browsers->currentView())
            view->load(QUrl(address));
    });

    m_favouritesWindow = new FavouritesWindow(m_favourites, m_desktop.prompts, this);
    connect(m_favouritesWindow, &FavouritesWindow::openRequested, this, &MainForm::openfile);
    m_skinWindow = new SkinWindow(m_skins, this);

    m_tray = new TrayIcon(programIcon(), m_fileMenu, this);
    connect(m_tray, &TrayIcon::restoreRequested, this, [this] { restoreIfMinimised(this); });

    m_browsers->setFileChooser(m_desktop.folders, [this] { return SaveFolder::startFolder(m_core.settings()); });

    QWebEngineProfile *profile = m_browsers->view(0)->page()->profile();
    m_downloads = new UserDownloads(profile, m_desktop.downloadFolder, m_core.log(),
                                    [this](const QWebEnginePage *page) { return m_browsers->isTabPage(page); }, this);
}

void MainForm::Toolbar1_ButtonClick(int position)
{
    QWebEngineView *view = m_browsers->currentView();
    switch (position) {
    case ToolbarBand::Paste:
        if (view) {
            view->setFocus();
            view->page()->triggerAction(QWebEnginePage::Paste);
        }
        break;
    case ToolbarBand::Copy:
        QGuiApplication::clipboard()->clear();
        if (view)
            view->page()->triggerAction(QWebEnginePage::Copy);
        break;
    case ToolbarBand::NewPage:
        m_book.NewP();
        break;
    case ToolbarBand::Home:
        openfile(m_favourites.homePath(), false);
        break;
    case ToolbarBand::FavouritesFolder:
        m_favouritesWindow->Form_Load();
        break;
    case ToolbarBand::Store:
        if (const std::optional<QString> stored =
                m_favourites.store(m_pageCaption, m_address->urladress()->currentText(), m_desktop.prompts))
            m_favouritesWindow->showStored(*stored);
        break;
    case ToolbarBand::Refresh:
        if (view)
            view->reload();
        break;
    case ToolbarBand::ChangeSkin:
        m_skinWindow->skin_Form_Load();
        break;
    default:
        break;
    }
}

void MainForm::urladress_KeyPress(const QString &text)
{
    if (const std::optional<QUrl> url = m_addressRules.urladress_KeyPress(text)) {
        if (QWebEngineView *view = m_browsers->currentView())
            view->load(*url);
    }
    m_address->showHistory(m_addressRules.history());
}

void MainForm::openfile(const QString &path, bool stayInTab)
{
    const std::optional<Favourites::OpenRequest> request =
        m_favourites.openfile(path, m_address->urladress()->currentText(), stayInTab, m_desktop.prompts, m_core.log());
    if (!request)
        return;
    if (request->newTabFirst)
        m_book.NewP();
    if (QWebEngineView *view = m_browsers->currentView())
        view->load(request->url);
}

void MainForm::new_Click()
{
    if (!m_anotherCopyRefused.isEmpty()) {
        m_core.log().AddMesg(m_anotherCopyRefused);
        return;
    }
    ::new_Click(m_desktop.starter, QCoreApplication::arguments(), m_core.programFolder());
}

void MainForm::showCaption(const QString &pageTitle)
{
    // A page without a title leaves the program's name.
    m_pageCaption = pageTitle.isEmpty() ? ProgramTitle : pageTitle;
    setWindowTitle(m_pageCaption + (listsReadOnly() ? readOnlyCaptionSuffix() : QString()));
}

void MainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // A skin changes the buttons' sizes, and leaves them so when it goes: the
    // design sizes again, once the controls have been polished after the window.
    if (event->type() == QEvent::StyleChange) {
        QTimer::singleShot(0, this, [this] {
            applyDesignSizes();
            Form_Resize();
        });
    }
    // Out of the task bar only while the tray icon can bring the window back;
    // hidden once the state change is done.
    if (event->type() == QEvent::WindowStateChange && m_tray
        && hidesWhenMinimised(windowState(), m_tray->isShown())) {
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
    }
}
