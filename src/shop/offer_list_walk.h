#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class PageAnalyser;
class PageDocument;
struct PageLoad;
struct ShopLinks;

// Walks a shop's offer-list pages in a browser view, one page at a time, and
// gathers their item links: until a page shows no further items, repeats an
// earlier page, or does not load. 整店采集 and the watched shops' checks
// share one walk, since both borrow the collector's view.
class OfferListWalk : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        QString shopAddress;
        QStringList links;  // in list order, as the pages name them
        int pagesLoaded = 0;
        int failedPage = 0; // the page that did not load; 0 when every page did
        // Page 1 held the shop's offer list (an empty shop's too); false for a
        // shop that is gone or a page the marketplace put in its place.
        bool shopListed = false;
        QString firstPageAddress; // where page 1 ended up
    };

    OfferListWalk(PageDocument &view, PageAnalyser &analyser, ShopLinks &links, QObject *parent = nullptr);

    // Pages after the first start this long after the last one was read.
    void setGapMs(int ms) { m_gapMs = ms; }
    bool isRunning() const { return m_running; }
    void start(const QString &shopAddress);

signals:
    void pageRead(int page);
    void finished(const OfferListWalk::Result &result);

private:
    void loadPage();
    void onPageRead(const PageLoad &load);
    void end();

    PageDocument &m_view;
    PageAnalyser &m_analyser;
    ShopLinks &m_links;
    QTimer m_gap;
    int m_gapMs = 0;
    bool m_running = false;
    int m_page = 1;
    Result m_result;
};
