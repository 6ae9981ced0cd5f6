#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// A div of the page whose id is one the analysis looks for, with its content
// serialised in the form the extraction patterns expect: upper-case tag names,
// simple attribute values unquoted, others quoted as written, and every table
// cell and block element on a line of its own.
struct PageBlock
{
    QString id;
    QString innerHtml;
};

// What one document query returns: all a collection step needs at once.
struct PageSnapshot
{
    bool valid = false;       // false when the page could not be queried
    QString url;              // LocationURL
    bool hasTitle = false;    // the document has a <title> element
    QString title;            // innerText of the first <title>
    double scrollHeight = 0;  // document.body.scrollHeight
    QList<PageBlock> blocks;  // in document order
    // Differs from one document to the next: tells a page that a navigation
    // produced from the one that was there before.
    QString documentToken;
};

// The ids of the divs that PageSnapshot::blocks holds.
inline const QStringList &analysedBlockIds()
{
    static const QStringList ids{QStringLiteral("mod-detail"), QStringLiteral("desc-lazyload-container"),
                                 QStringLiteral("wp-all-offer-tab"), QStringLiteral("mod-detail-attributes")};
    return ids;
}

// Where the page stands while it is scrolled through.
struct ScrollState
{
    double y = 0;          // scrolled this far
    double viewport = 0;   // the view's height
    double height = 0;     // the body's scroll height
    qint64 frames = 0;     // frames the page has drawn since it was first asked
    int loading = 0;       // description pictures started and not yet loaded or failed
    int unstartedInView = 0; // description pictures in view that have no address yet
    QStringList pictures;  // the addresses of the description pictures that have one
    QList<qint64> requestAgesMs; // the page's own requests in flight, by age in ms, oldest first
};

// How long the page may take before it counts as lost.
struct PagePatience
{
    int loadMs = 60000;    // the whole load
    int firstAnswerMs = 0; // nothing of the new page by then: not loaded (0: only loadMs counts)
    int queryMs = 20000;   // a query unanswered this long: the page is not responding
    // A request of the page's own the page has not reported this long after
    // its start is one it cannot report (a worker's): its address stops counting.
    int requestLimitMs = 10000;
};

// How long the collector's pages may take at each pace, and how old a request
// of a page's own may grow before it no longer counts: set in this one place.
struct PageLimits
{
    int loadMs = 60000;
    int queryMs = 20000; // a page not answering a query this long is taken for hung
    // At the fast pace a page that has sent nothing at all by fastFirstAnswerMs
    // counts as not loaded, and a query may take fastQueryMs.
    int fastFirstAnswerMs = 15000;
    int fastQueryMs = 5000;
    // At the fast pace, a request of the page's own older than this (a long
    // poll, a beacon) no longer keeps the item waiting; at either pace, one
    // the page never reports stops counting after this long.
    int requestLimitMs = 10000;

    PagePatience patience(bool fast) const
    {
        return fast ? PagePatience{loadMs, fastFirstAnswerMs, fastQueryMs, requestLimitMs}
                    : PagePatience{loadMs, 0, queryMs, requestLimitMs};
    }
};

// What a navigation and the read after it came to.
struct PageLoad
{
    enum Outcome {
        Read,          // `page` is what this navigation produced
        NotAnAddress,  // nothing a browser could load; nothing was navigated
        NotLoaded,     // failed, or timed out before the new page arrived
        NotResponding, // the page did not answer: its renderer hangs or is gone
    };
    Outcome outcome = NotLoaded;
    PageSnapshot page;
};

// One browser view holding a page that has been loaded and whose scripts ran.
// Everything is asynchronous: queries answer through their callback, which is
// called exactly once unless the document object is destroyed first.
class PageDocument : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts loading; loadEnded follows, at the latest after the load time-out.
    // A Navigate before the previous one ended replaces it: only the last ends.
    virtual void Navigate(const QString &address) = 0;
    // ReadyState 4: nothing is loading.
    virtual bool isLoaded() const = 0;
    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;
    // Silent: the page's own alert, confirm and prompt dialogs are suppressed.
    virtual void setSilent(bool silent) = 0;
    // Whether pages load their pictures (they do unless told otherwise). Off,
    // a page that only has its links read loads sooner and costs less.
    virtual void setPicturesLoaded(bool loaded) { (void)loaded; }
    // From the next navigation on.
    virtual void setPatience(const PagePatience &patience) = 0;

    // An invalid snapshot when the page did not answer.
    void readSnapshot(std::function<void(const PageSnapshot &)> done);
    // Nothing when the page did not answer.
    virtual void readScrollHeight(std::function<void(std::optional<double>)> done) = 0;
    // Nothing when the page did not answer.
    virtual void readScrollState(std::function<void(std::optional<ScrollState>)> done) = 0;
    // parentWindow.scrollBy(x, y)
    virtual void scrollBy(int x, int y) = 0;
    // Gives up a page that stopped answering: its renderer is ended, and the
    // next navigation starts on a fresh one.
    virtual void renew() = 0;

    // Navigates, waits for the load to end and reads the page; `done` runs in
    // `context` and not at all once `context` is gone.
    void NavigateAndRead(const QString &address, const QObject *context,
                         std::function<void(const PageLoad &)> done);

signals:
    // The navigation started by Navigate ended: finished (ok), failed, or
    // timed out (timedOut; the page holds whatever had loaded by then).
    void loadEnded(bool ok, bool timedOut);

protected:
    virtual void querySnapshot(std::function<void(const PageSnapshot &)> done) = 0;

private:
    QString m_lastToken; // of the last document read
};
