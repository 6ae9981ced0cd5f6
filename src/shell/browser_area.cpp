#include "shell/browser_area.h"

#include "platform/collector_page.h"

#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QUrl>
#include <QWebEngineView>

BrowserArea::BrowserArea(QWidget *client, QWebEngineView *collectorView)
    : QObject(client)
    , m_tabStrip(new QTabBar(client))
    , m_close(new QPushButton(QStringLiteral("×"), client))
    , m_browser(new QWebEngineView(client))
    , m_page(new CollectorPage(m_browser))
    , m_message(new QListWidget(client))
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

    // A second tab strip stands in the design without a use.
    auto *unused = new QTabBar(client);
    unused->setObjectName(QStringLiteral("TabStrip2"));
    unused->hide();

    m_close->setObjectName(QStringLiteral("Close_B"));
    m_close->setEnabled(false);

    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setProperty("index", 0);
    m_browser->setPage(m_page);
    m_message->setObjectName(QStringLiteral("mesg"));
    m_message->setProperty("index", 0);
}

void BrowserArea::setDesignSizes(int closeButtonPixels, int messageLinePixels)
{
    m_close->resize(closeButtonPixels, closeButtonPixels);
    m_message->resize(m_message->width(), messageLinePixels);
}

void BrowserArea::openFirstTab(const QString &homePage)
{
    m_page->setSilent(true);
    const int tab = m_tabStrip->addTab(QStringLiteral("主页"));
    m_tabStrip->setTabData(tab, QStringLiteral("t0"));
    m_browser->load(QUrl(homePage));
    m_message->raise();
}
