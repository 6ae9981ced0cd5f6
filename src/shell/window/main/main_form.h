#pragma once

#include "shell/browser/address_rules.h"
#include "shell/browser/favourites.h"
#include "shell/browser/help_commands.h"
#include "shell/browser/skins.h"
#include "shell/browser/tab_book.h"
#include "shell/window/main/window_layout.h"

#include <QMainWindow>

class AddressStrip;
class BatchPanel;
class BrowserArea;
class ExportCommand;
class ListingCommand;
class FocusChain;
class FavouritesWindow;
class FolderPicker;
class LogWindow;
class Opener;
class ProcessStarter;
class Prompts;
class ProgramParts;
class ProgressStrip;
class QMenu;
class SkinWindow;
class ToolbarBand;
class TrayIcon;
class UserDownloads;
class WatchWindow;

// MainForm, the program's window over a ProgramCore: the toolbar band with
// the status log, the address strip, the browser area with its tabs, the
// batch panel laid over it, the progress strip at the bottom and the menu
// bar, with the favourites and skin windows and the tray icon. Start-up and
// shutdown run here; the work is done by the core's commands and models and
// by the browser side's components.
//
// The window holds the lists lock of its program folder from construction to
// destruction, that is from before the lists load until after the last save:
// a window opened while another copy keeps the lists works on them read-only.
class MainForm : public QMainWindow
{
    Q_OBJECT
public:
    // The desktop's dialogs, openers and folders, behind seams that tests answer.
    struct Desktop
    {
        FolderPicker &folders;
        Prompts &prompts;
        Opener &opener;
        ProcessStarter &starter;
        QString downloadFolder; // where files the user downloads from a page go
    };

    MainForm(ProgramParts &core, const Desktop &desktop, QWidget *parent = nullptr);
    ~MainForm() override;

    // The start-up sequence: the skin, auto mode, the lists, the start pages,
    // the layout, the tray icon.
    void Form_Load();

    void ShowListCmd_Click();
    void AutoModeChk_Click(bool ticked);
    void AddToListCmd_Click();
    // Lays the window out for its client area's present size.
    void Form_Resize();

    // Enter in the address bar.
    void urladress_KeyPress(const QString &text);
    // The toolbar's button at a position, 1 to 8.
    void Toolbar1_ButtonClick(int position);
    // Opens a favourite (or any file) in the current tab or a new one.
    void openfile(const QString &path, bool stayInTab);
    // "新建": another copy of the program on the same program folder.
    void new_Click();
    // 日志: the whole log in a window of its own (a double-click on the log opens it).
    void showLogWindow();
    // 店铺上新: the watched shops' window (文件 menu, the batch panel, a click on a check's notification).
    void showWatchWindow();
    // Nothing until first opened.
    WatchWindow *watchWindow() const { return m_watchWindow; }
    // "新建" only logs why it starts nothing (the demo's marketplace lives in this process).
    void refuseAnotherCopy(const QString &reason) { m_anotherCopyRefused = reason; }

    // Another copy keeps the lists: this window neither saves nor collects
    // them (whoever opens the window takes the lists lock first).
    bool listsReadOnly() const;
    // What a read-only copy tells the user: in the log and after the caption.
    static QString readOnlyNotice();
    static QString readOnlyCaptionSuffix();

    // The program's exit status when the lists could not be saved as the window closed.
    static constexpr int ListsNotSavedStatus = 4;

    BatchPanel &batchPanel() const { return *m_panel; }
    ListingCommand &listingCommand() const { return *m_listing; }
    // The log window once opened, else nothing.
    LogWindow *logWindow() const { return m_logWindow; }
    SkinWindow &skinWindow() const { return *m_skinWindow; }
    BrowserArea &browsers() const { return *m_browsers; }
    TabBook &tabBook() { return m_book; }
    const WindowLayout::Twips &twips() const { return m_twips; }

signals:
    // The window has closed and what it had to tell has been read: the
    // program may end, with this exit status.
    void unloaded(int exitStatus);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // The minimise-to-hide step of the resize rule; a new skin lays the window out again.
    void changeEvent(QEvent *event) override;
    // Form_Unload: the item under way goes back with the marker, the lists
    // are saved, the tray icon goes. Lists that could not be saved are
    // written to a dated copy, and a message says where and why.
    void closeEvent(QCloseEvent *event) override;
    // Tab and Shift+Tab walk the controls in view in reading order: over the
    // batch panel only its own, never the browsers it covers.
    bool focusNextPrevChild(bool next) override;

private:
    void buildMenus();
    void wireBrowser();
    // The sizes the layout keeps, in the present look: the toolbar as wide as
    // its buttons need, the buttons as their captions need.
    void applyDesignSizes();
    // The control a move of the layout arithmetic names.
    QWidget *controlAt(const WindowLayout::Move &move) const;
    void applyMoves(const QList<WindowLayout::Move> &moves);
    // The caption follows the current page's title; a read-only copy says so after it.
    void showCaption(const QString &pageTitle);
    void tellListsNotSaved();

    ProgramParts &m_core;
    Desktop m_desktop;
    QString m_anotherCopyRefused;
    WindowLayout::Twips m_twips;
    TabBook m_book;
    AddressBarRules m_addressRules;
    Favourites m_favourites;
    Skins m_skins;
    HelpCommands m_help;
    QString m_pageCaption; // the caption without the read-only suffix: favourites are named after it
    QWidget *m_client;
    ToolbarBand *m_toolbar;
    AddressStrip *m_address;
    BrowserArea *m_browsers;
    BatchPanel *m_panel;
    ProgressStrip *m_progress;
    ExportCommand *m_export;
    ListingCommand *m_listing;
    FocusChain *m_focus;
    QMenu *m_fileMenu = nullptr;
    TrayIcon *m_tray = nullptr;
    FavouritesWindow *m_favouritesWindow = nullptr;
    SkinWindow *m_skinWindow = nullptr;
    UserDownloads *m_downloads = nullptr;
    LogWindow *m_logWindow = nullptr;
    WatchWindow *m_watchWindow = nullptr;
    bool m_unloaded = false;
};
