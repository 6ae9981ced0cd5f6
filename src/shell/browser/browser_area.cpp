#include "shell/browser/browser_area.h"

#include "platform/web/collector_page.h"
#include "platform/desktop/desktop.h"
#include "shell/browser/tab_book.h"

#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QWebEngineView>

#include <functional>

namespace {

// A tab's page: silent like the collector's, a request for a new window is
// answered with the page of a new tab, and a file input asks the area.
class TabPage : public CollectorPage
{
public:
    TabPage(QObject *parent, std::function<QWebEnginePage *()> newWindow,
            std::function<QStringList(FileSelectionMode)> chooseFiles)
        : CollectorPage(parent)
        , m_newWindow(std::move(newWindow))
        , m_chooseFiles(std::move(chooseFiles))
    {
        setSilent(true);
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override { return m_newWindow(); }
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &, const QStringList &) override
    {
        return m_chooseFiles(mode);
    }

private:
    std::function<QWebEnginePage *()> m_newWindow;
    std::function<QStringList(FileSelectionMode)> m_chooseFiles;
};

} // namespace

BrowserArea::BrowserArea(QWidget *client, QWebEngineView *collectorView, TabBook &book, const QString &homePage)
    : QObject(client)
    , m_book(book)
    , m_homePage(homePage)
    , m_tabStrip(new QTabBar(client))
    , m_close(new QPushButton(QStringLiteral("×"), client))
    , m_collector(collectorView)
{
    // Laid behind the tab strip, in the same rectangle.
    m_collector->setParent(client);
    m_collector->setObjectName(QStringLiteral("PickWebBro"));
    m_collector->setProperty("index", 0);
    m_collector->show();
    m_collector->lower();

    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    m_tabStrip->setToolTip(QStringLiteral("双击关闭"));
    m_tabStrip->setShape(QTabBar::RoundedNorth);
    m_tabStrip->setExpanding(false);
    // The strip covers its whole rectangle, the collector's view included.
    m_tabStrip->setAutoFillBackground(true);
    m_tabStrip->installEventFilter(this);

    m_close->setObjectName(QStringLiteral("Close_B"));

    for (const TabBook::Tab &tab : book.tabs())
        addTab(int(m_tabs.size()) + 1, tab.index, tab.key);
    m_tabStrip->setTabText(0, QStringLiteral("主页"));
    select(book.currentPosition(), book.CurBrowserIndex());

    connect(&book, &TabBook::tabOpened, this, &BrowserArea::addTab);
    connect(&book, &TabBook::tabClosed, this, &BrowserArea::removeTab);
    connect(&book, &TabBook::currentChanged, this, &BrowserArea::select);
    connect(&book, &TabBook::tabCaptionChanged, this,
            [this](int position, const QString &caption) { m_tabStrip->setTabText(position - 1, caption); });
    connect(&book, &TabBook::sendHome, this, [this](qint16 index) {
        if (QWebEngineView *v = view(index))
            v->load(QUrl(m_homePage));
    });
    // Selections the program makes are made with the strip's signals blocked.
    connect(m_tabStrip, &QTabBar::currentChanged, this, [this](int i) {
        if (i >= 0)
            m_book.TabStrip1_Click(i + 1);
    });
    connect(m_close, &QPushButton::clicked, &book, &TabBook::Close_B_Click);
}

QWebEngineView *BrowserArea::view(qint16 index) const
{
    return m_tabs.value(index).view;
}

QWebEngineView *BrowserArea::currentView() const
{
    return view(m_book.CurBrowserIndex());
}

QListWidget *BrowserArea::message(qint16 index) const
{
    return m_tabs.value(index).message;
}

bool BrowserArea::isTabPage(const QWebEnginePage *page) const
{
    for (const Tab &tab : m_tabs) {
        if (page && tab.view->page() == page)
            return true;
    }
    return false;
}

void BrowserArea::setDesignSizes(int closeButtonPixels, int messageLinePixels)
{
    m_close->resize(closeButtonPixels, closeButtonPixels);
    m_messageHeight = messageLinePixels;
    for (const Tab &tab : std::as_const(m_tabs))
        tab.message->resize(tab.message->width(), messageLinePixels);
}

void BrowserArea::openFirstTab()
{
    if (QWebEngineView *first = view(0))
        first->load(QUrl(m_homePage));
}

QString BrowserArea::addressText(const QUrl &url)
{
    return url.isEmpty() ? QStringLiteral("about:blank") : url.toString();
}

void BrowserArea::createView(qint16 index)
{
    auto *client = static_cast<QWidget *>(parent());
    auto *browser = new QWebEngineView(client);
    browser->setObjectName(QStringLiteral("WebBrowser1"));
    browser->setProperty("index", index);
    browser->setPage(new TabPage(
        browser, [this] { return openNewWindow(); },
        [this](QWebEnginePage::FileSelectionMode mode) { return chooseFiles(mode); }));
    browser->hide();
    auto *line = new QListWidget(client);
    line->setObjectName(QStringLiteral("mesg"));
    line->setProperty("index", index);
    line->resize(line->width(), m_messageHeight);
    line->hide();
    // Under the tab strip, which lies under the batch panel: a tab opened
    // later must not cover the panel.
    browser->stackUnder(m_tabStrip);
    line->stackUnder(m_tabStrip);
    m_tabs.insert(index, Tab{browser, line});

    connect(browser, &QWebEngineView::titleChanged, this,
            [this, index](const QString &title) { m_book.WebBrowser1_TitleChange(index, title); });
    // Only the current tab's page moves the address bar.
    connect(browser, &QWebEngineView::urlChanged, this, [this, index](const QUrl &url) {
        if (m_book.isCurrent(index))
            emit currentAddressChanged(addressText(url));
    });
}

void BrowserArea::addTab(int position, qint16 index, const QString &key)
{
    createView(index);
    const QSignalBlocker quiet(m_tabStrip);
    m_tabStrip->insertTab(position - 1, QString());
    m_tabStrip->setTabData(position - 1, key);
}

void BrowserArea::removeTab(int position, qint16 index)
{
    {
        const QSignalBlocker quiet(m_tabStrip);
        m_tabStrip->removeTab(position - 1);
    }
    const Tab tab = m_tabs.take(index);
    // Gone from the layout's sight at once; deleted once its events are done.
    for (QWidget *w : {static_cast<QWidget *>(tab.view), static_cast<QWidget *>(tab.message)}) {
        if (!w)
            continue;
        w->hide();
        w->setObjectName(QString());
        w->deleteLater();
    }
}

void BrowserArea::select(int position, qint16 index)
{
    {
        const QSignalBlocker quiet(m_tabStrip);
        m_tabStrip->setCurrentIndex(position - 1);
    }
    // The other tabs' pages are hidden, as a browser's background tabs are.
    for (auto it = m_tabs.cbegin(); it != m_tabs.cend(); ++it) {
        if (it.key() != index)
            it->view->hide();
    }
    const Tab tab = m_tabs.value(index);
    if (!tab.view)
        return;
    tab.view->stackUnder(m_tabStrip);
    tab.message->stackUnder(m_tabStrip);
    tab.view->show();
    tab.view->setFocus();
    emit currentAddressChanged(addressText(tab.view->url()));
    emit currentTitleShown(tab.view->title());
}

bool BrowserArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tabStrip && event->type() == QEvent::MouseButtonRelease) {
        // After the strip has handled the release: closing a tab removes it from the strip.
        QMetaObject::invokeMethod(
            this, [this] { m_book.TabStrip1_MouseUp(m_tabStrip->currentIndex() + 1); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void BrowserArea::setFileChooser(FolderPicker &picker, std::function<QString()> startFolder)
{
    m_picker = &picker;
    m_startFolder = std::move(startFolder);
}

QStringList BrowserArea::chooseFiles(QWebEnginePage::FileSelectionMode mode) const
{
    if (!m_picker)
        return {};
    // The engine waits for the answer: the chooser is modal, the one dialog
    // here with an event loop of its own (the batch goes on meanwhile).
    switch (mode) {
    case QWebEnginePage::FileSelectOpen:
    case QWebEnginePage::FileSelectOpenMultiple:
        return m_picker->chooseFiles(QStringLiteral("请选择要上传的文件"), m_startFolder(),
                                     mode == QWebEnginePage::FileSelectOpenMultiple);
    case QWebEnginePage::FileSelectUploadFolder: {
        const QString folder = m_picker->BrowseForFolder(QStringLiteral("请选择要上传的目录"), m_startFolder());
        return folder.isEmpty() ? QStringList() : QStringList{folder};
    }
    default: // a page that saves a file of its own: not offered
        return {};
    }
}

QWebEnginePage *BrowserArea::openNewWindow()
{
    const std::optional<qint16> index = m_book.NewP();
    QWebEngineView *opened = index ? view(*index) : nullptr;
    return opened ? opened->page() : nullptr;
}
