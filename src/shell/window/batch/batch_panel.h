#pragma once

#include "shell/window/main/window_layout.h"

#include <QGroupBox>
#include <QHash>

#include <functional>
#include <memory>

class DownloadedCommands;
class FolderPicker;
class HintLineEdit;
class ItemPreviewWindow;
class ItemListView;
class ItemNumberEdit;
class ListCommands;
class Opener;
class ProgramParts;
class QCheckBox;
class QSpinBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class SaveFolder;

// batModeFrame, the batch panel laid over the browser area: the add box, the
// pending and downloaded lists with their commands, start and pause with the
// blinking indicator, shop discovery, the search, the save folder and item
// numbers. Every control is a view of the program's models; the handlers
// only pass clicks and keys on to the commands.
class BatchPanel : public QGroupBox
{
    Q_OBJECT
public:
    BatchPanel(ProgramParts &core, FolderPicker &folders, Opener &opener, QWidget *parent = nullptr);
    ~BatchPanel() override;

    // What the layout needs to know of the controls it moves but does not size.
    WindowLayout::PanelInput layoutInput(const WindowLayout::Twips &twips) const;
    // Gives every control its design size.
    void setDesignSizes(const WindowLayout::Twips &twips);

    ListCommands &listCommands() { return *m_listCommands; }

    // "预览" (and Space on the downloaded list): the 宝贝预览 window, which
    // then follows the list's current entry while it is open.
    void PreviewCmd_Click();
    // Nothing until first opened.
    ItemPreviewWindow *previewWindow() const { return m_preview; }

signals:
    // "店铺上新": the window of the watched shops is asked for.
    void watchShopsRequested();

public:
    // The panel's controls, each named as the design names it (its objectName).
    struct Controls
    {
        QLabel *addUrlLbl = nullptr;
        QPlainTextEdit *addUrlText = nullptr;
        QPushButton *addUrlCmd = nullptr;
        QPushButton *delUrlCmd = nullptr;
        QPushButton *startPickCmd = nullptr;
        QPushButton *stopPickCmd = nullptr;
        QPushButton *insertToTopCmd = nullptr;
        QCheckBox *fastPickChk = nullptr;
        QCheckBox *skipDownloadedChk = nullptr;
        QLabel *collectorsLbl = nullptr;
        QSpinBox *collectorsBox = nullptr;
        QPushButton *watchShopsCmd = nullptr;
        QLabel *proNumLbl = nullptr;
        QLabel *proDenLbl = nullptr;
        QLabel *readyUrlLbl = nullptr;
        ItemListView *readyDownList = nullptr;
        HintLineEdit *shopUrlText = nullptr;
        QPushButton *asBabyUrlAlaCmd = nullptr;
        QLabel *alreadyDownedLbl = nullptr;
        QPushButton *findAdlCmd = nullptr;
        QPushButton *findUpCmd = nullptr;
        QPushButton *findNextCmd = nullptr;
        ItemListView *alreadyDownedList = nullptr;
        QLabel *findStrLbl = nullptr;
        HintLineEdit *findStrText = nullptr;
        QPushButton *delCmd = nullptr;
        QPushButton *rePickCmd = nullptr;
        QPushButton *setSavePathCmd = nullptr;
        QPushButton *openSavePathCmd = nullptr;
        QPushButton *editBabyNumCmd = nullptr;
        QLabel *newBabyNumLbl = nullptr;
        HintLineEdit *newBabyNumText = nullptr;
        QPushButton *openWebCmd = nullptr;
        QPushButton *previewCmd = nullptr;
        QPlainTextEdit *listInfoText = nullptr; // the hover box
    };
    const Controls &controls() const { return m_c; }
    // The control the layout arithmetic names; nothing for a name the panel does not hold.
    QWidget *control(const QString &name) const;
    // Tab's stops in reading order: column by column, a column's list or box
    // before the buttons that stand beside or above it.
    QList<QWidget *> focusOrder() const;

signals:
    // 整店采集's, 查找's or 修改货号's box came or went: the lists' room changes.
    void inlineBoxToggled();

protected:
    // The whole rectangle, before the look draws the frame.
    void paintEvent(QPaintEvent *event) override;
    // Space on the downloaded list opens the preview, Enter opens the entry's
    // folder; Ctrl+Tab leaves the add box as Tab does.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void build();
    void wireLists();
    void wireBatch();
    void wireSearchAndShop();
    void wireDownloaded();
    void wirePreview();
    // Shows or hides an inline box (with its label): it takes the focus as it
    // appears, and gives it back to its button as it goes.
    void focusAsShown(QWidget *box, QWidget *button, bool visible, bool wasVisible, QWidget *label = nullptr);
    // The downloaded list's current entry, in the preview when it is open.
    void followInPreview();
    void showBatchState();
    // The indicator's caption as its narrow column shows it.
    static QString indicatorText(const QString &caption);
    // Runs the handler when the button is pressed.
    void click(QPushButton *button, const std::function<void()> &handler);
    void hover(ItemListView *list, const QPoint &pointer, double rowsFromFirst);
    // The hover box as large as its text needs, within its design size.
    QSize fittedInfoSize(const QString &text, const QSize &design) const;
    QPushButton *addButton(const QString &name, const QString &caption);
    QLabel *addLabel(const QString &name, const QString &caption);

    ProgramParts &m_core;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<DownloadedCommands> m_downloadedCommands;
    std::unique_ptr<SaveFolder> m_saveFolder;
    ItemNumberEdit *m_itemNumbers = nullptr;
    WindowLayout::Twips m_twips{96};
    Controls m_c;
    Opener &m_opener;
    ItemPreviewWindow *m_preview = nullptr;
    bool m_batchWasOn = false;
    int m_collectorsLogged = 0; // what the log last said of 同时采集 in this run
    QHash<QString, QWidget *> m_byName;
};
