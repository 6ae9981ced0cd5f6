#pragma once

#include "collection/page_document.h"
#include "platform/web/answer_watch.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QVariant>

class QWebEngineLoadingInfo;
class QWebEngineView;
class CollectorPage;
class PageRequests;

// The page document over a Qt WebEngine view. Every query runs in the
// application world, so the page's own scripts cannot change what is read.
// The view must be shown by its owner: a page that was never shown gets no
// scroll events, and lazily loaded content never arrives.
class WebEnginePageDocument : public PageDocument
{
    Q_OBJECT
public:
    // Without a view, one is made and deleted with this object (unless a
    // widget that adopted it deletes it first). A view handed in stays its
    // owner's; its page is replaced by one of ours.
    explicit WebEnginePageDocument(int loadTimeoutMs, QWebEngineView *view = nullptr, QObject *parent = nullptr);
    ~WebEnginePageDocument() override;

    QWebEngineView *view() const;
    // A query the page does not answer in time (a hung renderer) answers as failed.
    void setQueryTimeout(int ms) { m_queryTimeoutMs = ms; }

    void Navigate(const QString &address) override;
    bool isLoaded() const override;
    QString LocationURL() const override;
    QString LocationName() const override;
    void setSilent(bool silent) override;
    void setPicturesLoaded(bool loaded) override;
    void setPatience(const PagePatience &patience) override;

    void readScrollHeight(std::function<void(std::optional<double>)> done) override;
    void readScrollState(std::function<void(std::optional<ScrollState>)> done) override;
    void scrollBy(int x, int y) override;
    void renew() override;

protected:
    void querySnapshot(std::function<void(const PageSnapshot &)> done) override;

private:
    // Called once: with the script's result, or an invalid value when the
    // page could not answer.
    using Answer = std::function<void(const QVariant &result)>;

    void load(const QString &address);
    void onLoadingChanged(const QWebEngineLoadingInfo &info);
    void onRendererGone();
    void endRenewing();
    void onLoadTimeout();
    void onNoAnswer();
    void onHung();
    void askBirth(std::function<void(std::optional<qint64>)> done);
    void finishNavigation(bool ok, bool timedOut);
    void runQuery(const QString &script, Answer answer);
    void answerQuery(quint64 id, const QVariant &result);
    void answerAllQueries();

    QPointer<QWebEngineView> m_view;
    bool m_ownsView = false;
    QPointer<CollectorPage> m_page;
    QTimer m_loadTimer;
    int m_queryTimeoutMs = 20000;
    int m_firstAnswerMs = 0;
    PageRequests *m_requests;
    AnswerWatch m_watch;

    bool m_navigating = false;   // a Navigate has not ended yet
    bool m_awaitingStart = false; // its start has not been reported yet
    bool m_rendererGone = false;  // crashed or ended: nothing answers until the next load
    bool m_hung = false;          // found hanging: nothing is asked until the next load
    bool m_renewing = false;      // waiting for an ended renderer to be gone
    QString m_deferred;           // a navigation asked for while renewing
    QTimer m_renewTimer;
    quint64 m_nextQuery = 1;
    QHash<quint64, Answer> m_queries;
};
