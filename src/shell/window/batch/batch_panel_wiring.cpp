// The batch panel's handlers: each passes a click, a key or a typed text on
// to its command or model, and shows what the models say.
#include "shell/window/batch/batch_panel.h"

#include "collection/batch/batch_cycle.h"
#include "download/save_folder.h"
#include "lists/downloaded_commands.h"
#include "lists/item_list.h"
#include "lists/item_number_edit.h"
#include "lists/list_commands.h"
#include "shell/browser/owned_window.h"
#include "shell/window/main/hint_line_edit.h"
#include "shell/window/lists/item_list_view.h"
#include "shell/window/preview/item_preview_window.h"
#include "shell/window/main/program_parts.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

namespace {

constexpr int EnterKey = 13;

// The box shows line breaks as LF; the model keeps the lines joined by CR LF,
// which is how "加入>>" cuts them.
QString boxText(const QString &modelText)
{
    QString text = modelText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString modelText(const QString &boxText)
{
    QString text = boxText;
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

} // namespace

void BatchPanel::click(QPushButton *button, const std::function<void()> &handler)
{
    connect(button, &QPushButton::clicked, this, handler);
}

void BatchPanel::wireLists()
{
    ListStore &lists = m_core.lists();
    const auto showAddUrlText = [this](const QString &text) {
        if (boxText(text) == m_c.addUrlText->toPlainText())
            return;
        const QSignalBlocker quiet(m_c.addUrlText);
        m_c.addUrlText->setPlainText(boxText(text));
    };
    showAddUrlText(lists.AddUrlText());
    connect(&lists, &ListStore::addUrlTextChanged, this, showAddUrlText);
    connect(m_c.addUrlText, &QPlainTextEdit::textChanged, this,
            [this] { m_core.lists().setAddUrlText(modelText(m_c.addUrlText->toPlainText())); });

    click(m_c.addUrlCmd, [this] { m_listCommands->addUrlCmd_Click(); });
    click(m_c.delUrlCmd, [this] { m_listCommands->DelUrlCmd_Click(); });
    click(m_c.insertToTopCmd, [this] { m_listCommands->InsertToTopCmd_Click(); });

    for (ItemListView *list : {m_c.readyDownList, m_c.alreadyDownedList}) {
        connect(list, &ItemListView::hovered, this,
                [this, list](const QPoint &pointer, double rows) { hover(list, pointer, rows); });
        connect(list, &ItemListView::left, m_c.listInfoText, &QWidget::hide);
        // What the box showed may be gone or stand elsewhere now.
        ItemList *entries = &(list == m_c.readyDownList ? lists.readyDownList() : lists.AlreadyDownedList());
        for (auto signal : {&ItemList::rowsInserted, &ItemList::rowsRemoved})
            connect(entries, signal, m_c.listInfoText, &QWidget::hide);
        connect(entries, &ItemList::modelReset, m_c.listInfoText, &QWidget::hide);
        connect(entries, &ItemList::dataChanged, this, [this](const QModelIndex &, const QModelIndex &,
                                                              const QList<int> &roles) {
            if (roles.contains(Qt::DisplayRole))
                m_c.listInfoText->hide();
        });
    }
}

void BatchPanel::wireBatch()
{
    BatchCycle &batch = m_core.batch();
    click(m_c.startPickCmd, [&batch] { batch.StartPickCmd_Click(); });
    click(m_c.stopPickCmd, [&batch] { batch.StopPickCmd_Click(); });
    connect(&batch, &BatchCycle::uiStateChanged, this, &BatchPanel::showBatchState);
    showBatchState();

    m_c.fastPickChk->setChecked(m_core.settings().pace() == BatchCycle::Pace::Fast);
    connect(m_c.fastPickChk, &QCheckBox::toggled, this, [this](bool fast) {
        m_core.setPace(fast ? BatchCycle::Pace::Fast : BatchCycle::Pace::Standard, true);
        m_core.log().AddMesg(fast ? QStringLiteral("开启快速采集,从下一个宝贝起生效.")
                                  : QStringLiteral("关闭快速采集,恢复标准速度,从下一个宝贝起生效."));
    });

    m_c.collectorsBox->setValue(m_core.settings().collectors());
    connect(m_c.collectorsBox, &QSpinBox::valueChanged, this, [this](int count) {
        // Qt's box reports a typed number again when Enter confirms it.
        if (count != m_core.batch().collectors())
            m_core.setCollectors(count, true);
    });
    // Said once the number is settled (Enter, or the keyboard leaves the box),
    // not at every step of the arrows; at rest the start says it.
    connect(m_c.collectorsBox, &QSpinBox::editingFinished, this, [this] {
        const int count = m_core.batch().collectors();
        if (!m_core.batch().isControllerOn() || count == m_collectorsLogged)
            return;
        m_collectorsLogged = count;
        m_core.log().AddMesg(QStringLiteral("同时采集%1个宝贝,从下一个宝贝起生效.").arg(count));
    });

    connect(m_c.watchShopsCmd, &QPushButton::clicked, this, &BatchPanel::watchShopsRequested);

    m_c.skipDownloadedChk->setChecked(m_core.settings().skipDownloaded());
    connect(m_c.skipDownloadedChk, &QCheckBox::toggled, this, [this](bool skip) {
        m_core.batch().setSkipDownloaded(skip);
        m_core.log().AddMesg(skip ? QStringLiteral("开启跳过已下载,已下载过的宝贝不再采集.")
                                  : QStringLiteral("关闭跳过已下载,已下载过的宝贝也会重新采集."));
        QString error;
        if (!m_core.settings().setSkipDownloaded(skip, &error))
            m_core.log().AddMesg(QStringLiteral("跳过已下载设置未能保存,原因:") + error);
    });
}

void BatchPanel::showBatchState()
{
    const BatchCycle &batch = m_core.batch();
    // A start, whoever asked for it (启动, 自动模式, 整店采集, 店铺上新): how many at once.
    if (batch.isControllerOn() && !m_batchWasOn) {
        m_collectorsLogged = batch.collectors();
        if (m_collectorsLogged > 1)
            m_core.log().AddMesg(QStringLiteral("同时采集%1个宝贝.").arg(m_collectorsLogged));
    }
    m_batchWasOn = batch.isControllerOn();
    m_c.startPickCmd->setEnabled(batch.isStartEnabled());
    m_c.stopPickCmd->setText(batch.stopCaption());
    const QString caption = indicatorText(batch.indicatorCaption());
    m_c.proNumLbl->setText(caption);
    m_c.proDenLbl->setText(caption);
    m_c.proDenLbl->setVisible(batch.isProDenLblVisible());
    m_c.proNumLbl->setVisible(!batch.isProDenLblVisible());
}

void BatchPanel::wireSearchAndShop()
{
    DownloadedSearch &search = m_core.search();
    const auto showSearch = [this, &search] {
        const bool wasVisible = m_c.findStrText->isVisibleTo(this);
        m_c.findStrText->showText(search.FindStrText());
        focusAsShown(m_c.findStrText, m_c.findAdlCmd, search.isFindStrTextVisible(), wasVisible, m_c.findStrLbl);
    };
    showSearch();
    connect(&search, &DownloadedSearch::findStrTextChanged, this, showSearch);
    connect(&search, &DownloadedSearch::findStrTextVisibleChanged, this, showSearch);
    connect(m_c.findStrText, &HintLineEdit::typed, &search, &DownloadedSearch::setFindStrText);
    connect(m_c.findStrText, &HintLineEdit::pressed, &search, &DownloadedSearch::FindStrText_MouseDown);
    connect(m_c.findStrText, &HintLineEdit::focusGained, this, [&search] {
        search.setFindStrText(WindowLayout::textOnFocus(search.FindStrText(), DownloadedSearch::hintText()));
    });
    connect(m_c.findStrText, &QLineEdit::returnPressed, this, [&search] { search.FindStrText_KeyPress(EnterKey); });
    click(m_c.findAdlCmd, [&search] { search.FindADLCmd_Click(); });
    click(m_c.findUpCmd, [&search] { search.FindUpCmd_Click(); });
    click(m_c.findNextCmd, [&search] { search.FindNextCmd_Click(); });

    ShopDiscovery &shop = m_core.shop();
    const auto showShop = [this, &shop] {
        const bool wasVisible = m_c.shopUrlText->isVisibleTo(this);
        m_c.shopUrlText->showText(shop.ShopUrlText());
        focusAsShown(m_c.shopUrlText, m_c.asBabyUrlAlaCmd, shop.isShopUrlTextVisible(), wasVisible);
    };
    showShop();
    connect(&shop, &ShopDiscovery::boxChanged, this, showShop);
    connect(m_c.shopUrlText, &HintLineEdit::typed, &shop, &ShopDiscovery::setShopUrlText);
    connect(m_c.shopUrlText, &HintLineEdit::pressed, this, [&shop] { shop.ShopUrlText_MouseDown(); });
    connect(m_c.shopUrlText, &HintLineEdit::focusGained, this, [&shop] {
        shop.setShopUrlText(WindowLayout::textOnFocus(shop.ShopUrlText(), ShopDiscovery::hintText()));
    });
    connect(m_c.shopUrlText, &QLineEdit::returnPressed, this, [&shop] { shop.ShopUrlText_KeyPress(EnterKey); });
    click(m_c.asBabyUrlAlaCmd, [&shop] { shop.ASBabyUrlAlaCmd_Click(); });
}

void BatchPanel::wireDownloaded()
{
    click(m_c.delCmd, [this] { m_downloadedCommands->DelCmd_Click(); });
    click(m_c.rePickCmd, [this] { m_downloadedCommands->RePickCmd_Click(); });
    click(m_c.openWebCmd, [this] { m_downloadedCommands->OpenWebCmd_Click(); });
    click(m_c.setSavePathCmd, [this] { m_saveFolder->SetSavePathCmd_Click(); });
    click(m_c.openSavePathCmd, [this] { m_saveFolder->OpenSavePathCmd_Click(); });
    click(m_c.editBabyNumCmd, [this] { m_itemNumbers->EditBabyNumCmd_Click(); });
    connect(m_c.alreadyDownedList, &QListView::clicked, this,
            [this](const QModelIndex &index) { m_downloadedCommands->AlreadyDownedList_Click(index.row()); });
    connect(m_c.alreadyDownedList, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { m_downloadedCommands->AlreadyDownedList_DblClick(index.row()); });

    const auto showItemNumbers = [this] {
        const bool wasVisible = m_c.newBabyNumText->isVisibleTo(this);
        m_c.editBabyNumCmd->setText(m_itemNumbers->caption());
        m_c.newBabyNumText->showText(m_itemNumbers->NewBabyNumText());
        focusAsShown(m_c.newBabyNumText, m_c.editBabyNumCmd, m_itemNumbers->isBoxVisible(), wasVisible,
                     m_c.newBabyNumLbl);
    };
    showItemNumbers();
    connect(m_itemNumbers, &ItemNumberEdit::changed, this, showItemNumbers);
    connect(m_c.newBabyNumText, &HintLineEdit::typed, m_itemNumbers, &ItemNumberEdit::setNewBabyNumText);
    connect(m_c.newBabyNumText, &HintLineEdit::focusGained, m_itemNumbers, &ItemNumberEdit::NewBabyNumText_GotFocus);
}

void BatchPanel::wirePreview()
{
    click(m_c.previewCmd, [this] { PreviewCmd_Click(); });
    m_c.alreadyDownedList->installEventFilter(this);
    for (QWidget *box : std::initializer_list<QWidget *>{m_c.shopUrlText, m_c.findStrText, m_c.newBabyNumText})
        box->installEventFilter(this);
    connect(m_c.alreadyDownedList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &BatchPanel::followInPreview);
}

bool BatchPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QGroupBox::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (watched == m_c.alreadyDownedList) {
        // The keyboard stays in the list while the preview follows it: Esc here closes the preview.
        if (key->key() == Qt::Key_Escape && m_preview && m_preview->isVisible()) {
            m_preview->close();
            return true;
        }
        if (key->key() == Qt::Key_Space) {
            PreviewCmd_Click();
            return true;
        }
        // Enter does what a double-click does.
        const QModelIndex current = m_c.alreadyDownedList->currentIndex();
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && current.isValid()) {
            m_downloadedCommands->AlreadyDownedList_DblClick(current.row());
            return true;
        }
    }
    // Esc closes an inline box without doing what its button would.
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        if (watched == m_c.shopUrlText) {
            m_core.shop().closeBox();
            return true;
        }
        if (watched == m_c.findStrText) {
            m_core.search().closeBox();
            return true;
        }
        if (watched == m_c.newBabyNumText) {
            m_itemNumbers->closeBox();
            return true;
        }
    }
    if (watched == m_c.addUrlText && (key->modifiers() & Qt::ControlModifier)
        && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
        QKeyEvent tab(QEvent::KeyPress, key->key(), key->modifiers() & ~Qt::ControlModifier);
        QCoreApplication::sendEvent(m_c.addUrlText, &tab);
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}

void BatchPanel::focusAsShown(QWidget *box, QWidget *button, bool visible, bool wasVisible, QWidget *label)
{
    const bool hadFocus = box->hasFocus();
    box->setVisible(visible);
    if (label)
        label->setVisible(visible);
    if (visible == wasVisible)
        return;
    // Its list makes room for it.
    emit inlineBoxToggled();
    if (!isVisible())
        return;
    if (visible)
        box->setFocus(Qt::OtherFocusReason);
    else if (hadFocus)
        button->setFocus(Qt::OtherFocusReason);
}

void BatchPanel::PreviewCmd_Click()
{
    if (!m_preview) {
        m_preview = new ItemPreviewWindow(m_opener, this);
        m_preview->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    // The keyboard stays where it was: ↑ and ↓ go on along the list, and the
    // preview follows.
    QWidget *focus = window()->isActiveWindow() ? QApplication::focusWidget() : nullptr;
    placeOverOwner(m_preview);
    m_preview->show();
    m_preview->raise();
    if (focus) {
        window()->activateWindow();
        focus->setFocus(Qt::ActiveWindowFocusReason);
    }
    followInPreview();
}

void BatchPanel::followInPreview()
{
    if (!m_preview || !m_preview->isVisible())
        return;
    const ItemList &downloaded = m_core.lists().AlreadyDownedList();
    int row = m_c.alreadyDownedList->currentIndex().row();
    if (row < 0 || row >= downloaded.count()) {
        // No current entry: the first selected one, else the first.
        row = 0;
        for (int r = 0; r < downloaded.count(); ++r) {
            if (downloaded.isSelected(r)) {
                row = r;
                break;
            }
        }
    }
    m_preview->showItem(downloaded.at(row));
}
