#pragma once

#include "shell/window_layout.h"

#include <QGroupBox>

#include <functional>
#include <memory>

class DownloadedCommands;
class FolderPicker;
class HintLineEdit;
class ItemListView;
class ItemNumberEdit;
class ListCommands;
class Opener;
class ProgramCore;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class SaveFolder;

// batModeFrame, the batch panel laid over the browser area: the add box, the
// pending and downloaded lists with their commands, start and pause with the
// blinking indicator, shop discovery, the search, the save folder and item
// numbers. Every control is a view of ProgramCore's models; the handlers
// only pass clicks and keys on to the commands.
class BatchPanel : public QGroupBox
{
    Q_OBJECT
public:
    BatchPanel(ProgramCore &core, FolderPicker &folders, Opener &opener, QWidget *parent = nullptr);
    ~BatchPanel() override;

    // What the layout needs to know of the controls it moves but does not size.
    WindowLayout::PanelInput layoutInput(const WindowLayout::Twips &twips) const;
    // Gives every control its design size.
    void setDesignSizes(const WindowLayout::Twips &twips);

    ListCommands &listCommands() { return *m_listCommands; }

protected:
    // The whole rectangle, before the look draws the frame.
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void build();
    void wireLists();
    void wireBatch();
    void wireSearchAndShop();
    void wireDownloaded();
    void showBatchState();
    // Runs the handler when the named button is pressed.
    void click(const char *name, const std::function<void()> &handler);
    void hover(ItemListView *list, const QPoint &pointer, double rowsFromFirst);
    // The hover box as large as its text needs, within its design size.
    QSize fittedInfoSize(const QString &text, const QSize &design) const;
    QPushButton *addButton(const QString &name, const QString &caption);
    QLabel *addLabel(const QString &name, const QString &caption);

    ProgramCore &m_core;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<DownloadedCommands> m_downloadedCommands;
    std::unique_ptr<SaveFolder> m_saveFolder;
    ItemNumberEdit *m_itemNumbers = nullptr;
    WindowLayout::Twips m_twips{96};

    QPlainTextEdit *m_addUrlText = nullptr;
    ItemListView *m_ready = nullptr;
    ItemListView *m_downloaded = nullptr;
    QPlainTextEdit *m_listInfo = nullptr;
    HintLineEdit *m_shopUrl = nullptr;
    HintLineEdit *m_findStr = nullptr;
    HintLineEdit *m_newBabyNum = nullptr;
    QCheckBox *m_fastPick = nullptr;
    QLabel *m_proNum = nullptr;
    QLabel *m_proDen = nullptr;
};
