#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

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
};

// The ids of the divs that PageSnapshot::blocks holds.
inline const QStringList &analysedBlockIds()
{
    static const QStringList ids{QStringLiteral("mod-detail"), QStringLiteral("desc-lazyload-container"),
                                 QStringLiteral("wp-all-offer-tab"), QStringLiteral("mod-detail-attributes")};
    return ids;
}

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

    virtual void readSnapshot(std::function<void(const PageSnapshot &)> done) = 0;
    virtual void readScrollHeight(std::function<void(double)> done) = 0;
    // parentWindow.scrollBy(x, y)
    virtual void scrollBy(int x, int y) = 0;

    // Navigates, waits for the load to end and reads the page; `done` runs in
    // `context` and not at all once `context` is gone.
    void NavigateAndRead(const QString &address, const QObject *context,
                         std::function<void(const PageSnapshot &)> done);

signals:
    // The navigation started by Navigate ended: finished (ok), failed, or
    // timed out (timedOut; the page holds whatever had loaded by then).
    void loadEnded(bool ok, bool timedOut);
};
