// The batch panel's handlers: each passes a click, a key or a typed text on
// to its command or model, and shows what the models say.
#include "shell/batch_panel.h"

#include "collection/batch_cycle.h"
#include "download/save_folder.h"
#include "lists/downloaded_commands.h"
#include "lists/item_list.h"
#include "lists/item_number_edit.h"
#include "lists/list_commands.h"
#include "shell/hint_line_edit.h"
#include "shell/item_list_view.h"
#include "shell/program_core.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

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

void BatchPanel::click(const char *name, const std::function<void()> &handler)
{
    connect(findChild<QPushButton *>(QLatin1String(name)), &QPushButton::clicked, this, handler);
}

void BatchPanel::wireLists()
{
    ListStore &lists = m_core.lists();
    const auto showAddUrlText = [this](const QString &text) {
        if (boxText(text) == m_addUrlText->toPlainText())
            return;
        const QSignalBlocker quiet(m_addUrlText);
        m_addUrlText->setPlainText(boxText(text));
    };
    showAddUrlText(lists.AddUrlText());
    connect(&lists, &ListStore::addUrlTextChanged, this, showAddUrlText);
    connect(m_addUrlText, &QPlainTextEdit::textChanged, this,
            [this] { m_core.lists().setAddUrlText(modelText(m_addUrlText->toPlainText())); });

    click("addUrlCmd", [this] { m_listCommands->addUrlCmd_Click(); });
    click("DelUrlCmd", [this] { m_listCommands->DelUrlCmd_Click(); });
    click("InsertToTopCmd", [this] { m_listCommands->InsertToTopCmd_Click(); });

    for (ItemListView *list : {m_ready, m_downloaded}) {
        connect(list, &ItemListView::hovered, this,
                [this, list](const QPoint &pointer, double rows) { hover(list, pointer, rows); });
        connect(list, &ItemListView::left, m_listInfo, &QWidget::hide);
        // What the box showed may be gone or stand elsewhere now.
        ItemList *entries = &(list == m_ready ? lists.readyDownList() : lists.AlreadyDownedList());
        for (auto signal : {&ItemList::rowsInserted, &ItemList::rowsRemoved})
            connect(entries, signal, m_listInfo, &QWidget::hide);
        connect(entries, &ItemList::modelReset, m_listInfo, &QWidget::hide);
        connect(entries, &ItemList::dataChanged, this, [this](const QModelIndex &, const QModelIndex &,
                                                              const QList<int> &roles) {
            if (roles.contains(Qt::DisplayRole))
                m_listInfo->hide();
        });
    }
}

void BatchPanel::wireBatch()
{
    BatchCycle &batch = m_core.batch();
    click("StartPickCmd", [&batch] { batch.StartPickCmd_Click(); });
    click("StopPickCmd", [&batch] { batch.StopPickCmd_Click(); });
    connect(&batch, &BatchCycle::uiStateChanged, this, &BatchPanel::showBatchState);
    showBatchState();

    m_fastPick->setChecked(m_core.storedPace() == BatchCycle::Pace::Fast);
    connect(m_fastPick, &QCheckBox::toggled, this, [this](bool fast) {
        m_core.setPace(fast ? BatchCycle::Pace::Fast : BatchCycle::Pace::Standard, true);
        m_core.log().AddMesg(fast ? QStringLiteral("开启快速采集,从下一个宝贝起生效.")
                                  : QStringLiteral("关闭快速采集,恢复标准速度,从下一个宝贝起生效."));
    });
}

void BatchPanel::showBatchState()
{
    const BatchCycle &batch = m_core.batch();
    findChild<QPushButton *>(QStringLiteral("StartPickCmd"))->setEnabled(batch.isStartEnabled());
    findChild<QPushButton *>(QStringLiteral("StopPickCmd"))->setText(batch.stopCaption());
    m_proNum->setText(batch.indicatorCaption());
    m_proDen->setText(batch.indicatorCaption());
    m_proDen->setVisible(batch.isProDenLblVisible());
    m_proNum->setVisible(!batch.isProDenLblVisible());
}

void BatchPanel::wireSearchAndShop()
{
    DownloadedSearch &search = m_core.search();
    const auto showSearch = [this, &search] {
        m_findStr->showText(search.FindStrText());
        m_findStr->setVisible(search.isFindStrTextVisible());
    };
    showSearch();
    connect(&search, &DownloadedSearch::findStrTextChanged, this, showSearch);
    connect(&search, &DownloadedSearch::findStrTextVisibleChanged, this, showSearch);
    connect(m_findStr, &HintLineEdit::typed, &search, &DownloadedSearch::setFindStrText);
    connect(m_findStr, &HintLineEdit::pressed, &search, &DownloadedSearch::FindStrText_MouseDown);
    connect(m_findStr, &HintLineEdit::focusGained, this, [&search] {
        search.setFindStrText(WindowLayout::textOnFocus(search.FindStrText(), DownloadedSearch::hintText()));
    });
    connect(m_findStr, &QLineEdit::returnPressed, this, [&search] { search.FindStrText_KeyPress(EnterKey); });
    click("FindADLCmd", [&search] { search.FindADLCmd_Click(); });
    click("FindUpCmd", [&search] { search.FindUpCmd_Click(); });
    click("FindNextCmd", [&search] { search.FindNextCmd_Click(); });

    ShopDiscovery &shop = m_core.shop();
    const auto showShop = [this, &shop] {
        m_shopUrl->showText(shop.ShopUrlText());
        m_shopUrl->setVisible(shop.isShopUrlTextVisible());
    };
    showShop();
    connect(&shop, &ShopDiscovery::boxChanged, this, showShop);
    connect(m_shopUrl, &HintLineEdit::typed, &shop, &ShopDiscovery::setShopUrlText);
    connect(m_shopUrl, &HintLineEdit::pressed, this, [&shop] { shop.ShopUrlText_MouseDown(); });
    connect(m_shopUrl, &HintLineEdit::focusGained, this, [&shop] {
        shop.setShopUrlText(WindowLayout::textOnFocus(shop.ShopUrlText(), ShopDiscovery::hintText()));
    });
    connect(m_shopUrl, &QLineEdit::returnPressed, this, [&shop] { shop.ShopUrlText_KeyPress(EnterKey); });
    click("ASBabyUrlAlaCmd", [&shop] { shop.ASBabyUrlAlaCmd_Click(); });
}

void BatchPanel::wireDownloaded()
{
    click("DelCmd", [this] { m_downloadedCommands->DelCmd_Click(); });
    click("RePickCmd", [this] { m_downloadedCommands->RePickCmd_Click(); });
    click("OpenWebCmd", [this] { m_downloadedCommands->OpenWebCmd_Click(); });
    click("SetSavePathCmd", [this] { m_saveFolder->SetSavePathCmd_Click(); });
    click("OpenSavePathCmd", [this] { m_saveFolder->OpenSavePathCmd_Click(); });
    click("EditBabyNumCmd", [this] { m_itemNumbers->EditBabyNumCmd_Click(); });
    connect(m_downloaded, &QListView::clicked, this,
            [this](const QModelIndex &index) { m_downloadedCommands->AlreadyDownedList_Click(index.row()); });
    connect(m_downloaded, &QListView::doubleClicked, this,
            [this](const QModelIndex &index) { m_downloadedCommands->AlreadyDownedList_DblClick(index.row()); });

    auto *editButton = findChild<QPushButton *>(QStringLiteral("EditBabyNumCmd"));
    const auto showItemNumbers = [this, editButton] {
        editButton->setText(m_itemNumbers->caption());
        m_newBabyNum->showText(m_itemNumbers->NewBabyNumText());
        m_newBabyNum->setVisible(m_itemNumbers->isBoxVisible());
    };
    showItemNumbers();
    connect(m_itemNumbers, &ItemNumberEdit::changed, this, showItemNumbers);
    connect(m_newBabyNum, &HintLineEdit::typed, m_itemNumbers, &ItemNumberEdit::setNewBabyNumText);
    connect(m_newBabyNum, &HintLineEdit::focusGained, m_itemNumbers, &ItemNumberEdit::NewBabyNumText_GotFocus);
}
