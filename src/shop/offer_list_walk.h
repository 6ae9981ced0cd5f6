#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

class PageAnalyser;
class PageDocument;
struct PageLoad;
struct ShopLinks;

// Walks a shop's offer-list pages in a browser view, one page at a time, and
// gathers their item links: until a page shows no further items, repeats an
// earlier page, shows no offer list, or does not load. 整店采集 and the
// watched shops' checks share one walk, since both borrow the collector's view.
//
// The list is in sales order, so it can shift while it is walked. A page that
// repeats an item of an earlier page tells that the list moved toward its
// head since that page was read: an item may have slipped past the walk onto
// an earlier page, so the page before is read again (and the one before that,
// while each repeats its predecessor), each page at most once more per walk.
class OfferListWalk : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        QString shopAddress;
        QStringList links;  // in list order, as the pages name them
        int pagesLoaded = 0;
        int failedPage = 0;   // the page that did not load; 0 when every page did
        int unlistedPage = 0; // the page that showed no offer list (it ended the walk); 0 when none
        int movedPage = 0;    // the first page that moved the reader elsewhere; 0 when none did
        QString movedTo;      // where that page ended up

        // Every page up to the empty one was the shop's own offer list.
        bool whole() const { return failedPage == 0 && unlistedPage == 0 && movedPage == 0; }
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
    void loadPage(int page);
    // Loads `page` after the gap; 0 ends the walk.
    void next(int page);
    void onPageRead(int page, const PageLoad &load);
    // The next page after a page read for the first time, or again; 0 ends the walk.
    int afterFirstRead(int page, bool empty, bool news, bool repeats);
    int afterRereading(int page, bool empty, bool news, bool repeats);
    // Steps back to the page before `page` when it has not been read again yet.
    int stepBack(int page);
    void end();

    PageDocument &m_view;
    PageAnalyser &m_analyser;
    ShopLinks &m_links;
    QTimer m_gap;
    int m_gapMs = 0;
    bool m_running = false;
    int m_nextPage = 1;      // the next page read for the first time
    int m_gapPage = 0;       // the page the gap timer loads
    bool m_aheadNews = false; // the page that sent the walk back brought items of its own
    bool m_backNews = false;  // pages read again found items
    QHash<QString, int> m_firstSeenOn; // page key of each item → the page it was first seen on
    QSet<int> m_reread;
    Result m_result;
};
