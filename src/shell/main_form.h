#pragma once

#include "shell/window_layout.h"

#include <QMainWindow>
#include <QTimer>

class AddressStrip;
class BatchPanel;
class BrowserArea;
class FolderPicker;
class NetCheck;
class Opener;
class Prompts;
class ProgramCore;
class ProgressStrip;
class ToolbarBand;

// MainForm, the program's window over a ProgramCore: the toolbar band with
// the status log, the address strip, the browser area, the batch panel laid
// over it, the progress strip at the bottom and the menu bar. Start-up and
// shutdown run here; the work is done by the core's commands and models.
class MainForm : public QMainWindow
{
    Q_OBJECT
public:
    // The desktop's dialogs and openers, behind seams that tests answer.
    struct Desktop
    {
        FolderPicker &folders;
        Prompts &prompts;
        Opener &opener;
    };

    MainForm(ProgramCore &core, const Desktop &desktop, QWidget *parent = nullptr);
    ~MainForm() override;

    // The start-up sequence: auto mode, the lists, the start pages, the layout.
    void Form_Load();

    void ShowListCmd_Click();
    void AutoModeChk_Click(bool ticked);
    void AddToListCmd_Click();
    // Lays the window out for its client area's present size.
    void Form_Resize();

    BatchPanel &batchPanel() const { return *m_panel; }
    const WindowLayout::Twips &twips() const { return m_twips; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    // Form_Unload: the item under way goes back with the marker, the lists are saved.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void applyMoves(const QList<WindowLayout::Move> &moves);

    ProgramCore &m_core;
    Desktop m_desktop;
    WindowLayout::Twips m_twips;
    QWidget *m_client;
    ToolbarBand *m_toolbar;
    AddressStrip *m_address;
    BrowserArea *m_browsers;
    BatchPanel *m_panel;
    ProgressStrip *m_progress;
    NetCheck *m_startCheck;
    QTimer m_timer2; // the tab strip's double-click window
    bool m_unloaded = false;
};
