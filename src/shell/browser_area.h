#pragma once

#include <QObject>
#include <QString>

class CollectorPage;
class QListWidget;
class QPushButton;
class QTabBar;
class QWebEngineView;
class QWidget;

// The browser area's controls, children of the window's client area: the tab
// strip TabStrip1 with the close button Close_B, the first tab's browser
// WebBrowser1(0) with its message line mesg(0), and the collector's view
// PickWebBro(0) behind the tab strip. The collector's view stays a shown
// widget: a page that was never shown gets no scroll events. Tabs, their
// commands and navigation come with the browser shell.
class BrowserArea : public QObject
{
    Q_OBJECT
public:
    BrowserArea(QWidget *client, QWebEngineView *collectorView);

    QTabBar *tabStrip() const { return m_tabStrip; }
    QWebEngineView *browser() const { return m_browser; }
    QWebEngineView *collectorView() const { return m_collector; }

    // The design sizes the layout keeps: the close button's and the message line's height.
    void setDesignSizes(int closeButtonPixels, int messageLinePixels);
    // The first tab's start page; its page shows no dialogs of its own.
    void openFirstTab(const QString &homePage);

private:
    QTabBar *m_tabStrip;
    QPushButton *m_close;
    QWebEngineView *m_browser;
    CollectorPage *m_page;
    QListWidget *m_message;
    QWebEngineView *m_collector;
};
