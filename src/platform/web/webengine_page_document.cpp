#include "platform/web/webengine_page_document.h"

#include "platform/web/collector_page.h"
#include "platform/web/page_requests.h"
#include "platform/web/page_scripts.h"

#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <csignal>

namespace {

PageSnapshot snapshotFrom(const QVariant &result)
{
    PageSnapshot snapshot;
    if (result.typeId() != QMetaType::QVariantMap)
        return snapshot;
    const QVariantMap map = result.toMap();
    snapshot.valid = true;
    snapshot.documentToken = map.value(QStringLiteral("token")).toString();
    snapshot.url = map.value(QStringLiteral("url")).toString();
    snapshot.hasTitle = map.value(QStringLiteral("hasTitle")).toBool();
    snapshot.title = map.value(QStringLiteral("title")).toString();
    snapshot.scrollHeight = map.value(QStringLiteral("scrollHeight")).toDouble();
    const QVariantList blocks = map.value(QStringLiteral("blocks")).toList();
    for (const QVariant &block : blocks) {
        const QVariantMap b = block.toMap();
        snapshot.blocks.append({b.value(QStringLiteral("id")).toString(), b.value(QStringLiteral("html")).toString()});
    }
    return snapshot;
}

// An ended renderer that never reports its end must not hold navigations back for ever.
constexpr int RenewLimitMs = 5000;

} // namespace

WebEnginePageDocument::WebEnginePageDocument(int loadTimeoutMs, QWebEngineView *view, QObject *parent)
    : PageDocument(parent)
    , m_view(view)
    , m_ownsView(view == nullptr)
    , m_requests(new PageRequests(this))
    , m_watch([this](auto done) { askBirth(std::move(done)); })
{
    if (!m_view)
        m_view = new QWebEngineView;
    // The view's child, so that it goes with the view whoever deletes it.
    m_page = new CollectorPage(m_view);
    m_view->setPage(m_page);
    m_page->setUrlRequestInterceptor(m_requests);
    QWebEngineScript watch;
    watch.setName(QStringLiteral("zorvane-document-watch"));
    watch.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watch.setWorldId(QWebEngineScript::ApplicationWorld);
    watch.setRunsOnSubFrames(true);
    watch.setSourceCode(PageScripts::documentWatch());
    m_page->scripts().insert(watch);
    connect(&m_watch, &AnswerWatch::noAnswer, this, &WebEnginePageDocument::onNoAnswer);
    connect(&m_watch, &AnswerWatch::hung, this, &WebEnginePageDocument::onHung);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &WebEnginePageDocument::onLoadingChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, &WebEnginePageDocument::onRendererGone);
    m_loadTimer.setSingleShot(true);
    m_loadTimer.setInterval(loadTimeoutMs);
    connect(&m_loadTimer, &QTimer::timeout, this, &WebEnginePageDocument::onLoadTimeout);
    m_renewTimer.setSingleShot(true);
    m_renewTimer.setInterval(RenewLimitMs);
    connect(&m_renewTimer, &QTimer::timeout, this, &WebEnginePageDocument::endRenewing);
}

WebEnginePageDocument::~WebEnginePageDocument()
{
    // Nothing the view says while it goes down reaches the caller.
    if (m_page) {
        disconnect(m_page, nullptr, this, nullptr);
        m_page->setUrlRequestInterceptor(nullptr);
    }
    m_queries.clear();
    if (m_ownsView)
        delete m_view.data();
}

QWebEngineView *WebEnginePageDocument::view() const
{
    return m_view;
}

void WebEnginePageDocument::Navigate(const QString &address)
{
    m_navigating = true;
    m_loadTimer.start();
    if (m_renewing) {
        m_deferred = address;
        return;
    }
    load(address);
}

void WebEnginePageDocument::load(const QString &address)
{
    // A load still running merges with the new one, which then reports no
    // start of its own. After an idle page, the end of the previous load may
    // still be queued: only an end after the new load's start counts.
    m_awaitingStart = !m_page || !m_page->isLoading();
    m_rendererGone = false;
    m_hung = false;
    m_requests->clear();
    if (m_firstAnswerMs > 0)
        m_watch.start(m_firstAnswerMs);
    if (m_page)
        m_page->load(QUrl::fromUserInput(address));
}

void WebEnginePageDocument::onLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (m_renewing) {
        // The end of a load the ended renderer left behind.
        if (m_rendererGone && info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            endRenewing();
        return;
    }
    if (!m_navigating)
        return;
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_awaitingStart = false;
        return;
    }
    if (m_awaitingStart)
        return;
    finishNavigation(info.status() == QWebEngineLoadingInfo::LoadSucceededStatus, false);
}

void WebEnginePageDocument::onLoadTimeout()
{
    if (!m_navigating)
        return;
    // Whatever arrives later must not change the page under a reader.
    if (m_page && !m_renewing)
        m_page->triggerAction(QWebEnginePage::Stop);
    finishNavigation(false, true);
}

void WebEnginePageDocument::onNoAnswer()
{
    if (!m_navigating)
        return;
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
    finishNavigation(false, false);
}

void WebEnginePageDocument::onHung()
{
    if (!m_navigating)
        return;
    m_hung = true;
    answerAllQueries();
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Stop);
    finishNavigation(false, true);
}

void WebEnginePageDocument::askBirth(std::function<void(std::optional<qint64>)> done)
{
    runQuery(PageScripts::documentBirth(), [done = std::move(done)](const QVariant &result) {
        bool number = false;
        const double born = result.toDouble(&number);
        done(result.isValid() && number ? std::optional<qint64>(qint64(born)) : std::nullopt);
    });
}

void WebEnginePageDocument::finishNavigation(bool ok, bool timedOut)
{
    m_watch.stop();
    m_navigating = false;
    m_awaitingStart = false;
    m_deferred.clear();
    m_loadTimer.stop();
    emit loadEnded(ok, timedOut);
}

void WebEnginePageDocument::onRendererGone()
{
    m_rendererGone = true;
    answerAllQueries();
    if (m_renewing) {
        if (!m_page || !m_page->isLoading())
            endRenewing();
        return;
    }
    if (m_navigating)
        finishNavigation(false, false);
}

void WebEnginePageDocument::renew()
{
    if (!m_page || m_renewing)
        return;
    answerAllQueries();
    const qint64 pid = m_page->renderProcessPid();
    if (m_rendererGone || pid <= 0)
        return; // a new renderer starts with the next load
    // A renderer caught in a script never gives its page back: end its process.
    m_renewing = true;
    m_renewTimer.start();
    ::kill(pid_t(pid), SIGKILL);
}

void WebEnginePageDocument::endRenewing()
{
    if (!m_renewing)
        return;
    m_renewing = false;
    m_renewTimer.stop();
    const QString deferred = std::exchange(m_deferred, QString());
    if (m_navigating && !deferred.isEmpty())
        load(deferred);
}

bool WebEnginePageDocument::isLoaded() const
{
    return !m_navigating && m_page && !m_page->isLoading();
}

QString WebEnginePageDocument::LocationURL() const
{
    return m_view ? m_view->url().toString() : QString();
}

QString WebEnginePageDocument::LocationName() const
{
    return m_page ? m_page->title() : QString();
}

void WebEnginePageDocument::setPatience(const PagePatience &patience)
{
    m_loadTimer.setInterval(patience.loadMs);
    m_firstAnswerMs = patience.firstAnswerMs;
    m_queryTimeoutMs = patience.queryMs;
    m_requests->setUnreportedAfter(patience.requestLimitMs);
}

void WebEnginePageDocument::setSilent(bool silent)
{
    if (m_page)
        m_page->setSilent(silent);
}

void WebEnginePageDocument::setPicturesLoaded(bool loaded)
{
    if (m_page)
        m_page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, loaded);
}

void WebEnginePageDocument::querySnapshot(std::function<void(const PageSnapshot &)> done)
{
    static const QString script = PageScripts::snapshot();
    runQuery(script, [done = std::move(done)](const QVariant &result) { done(snapshotFrom(result)); });
}

void WebEnginePageDocument::readScrollHeight(std::function<void(std::optional<double>)> done)
{
    runQuery(PageScripts::scrollHeight(), [done = std::move(done)](const QVariant &result) {
        bool number = false;
        const double height = result.toDouble(&number);
        done(result.isValid() && number ? std::optional<double>(height) : std::nullopt);
    });
}

void WebEnginePageDocument::readScrollState(std::function<void(std::optional<ScrollState>)> done)
{
    static const QString script = PageScripts::scrollState();
    runQuery(script, [this, done = std::move(done)](const QVariant &result) {
        if (result.typeId() != QMetaType::QVariantMap) {
            done(std::nullopt);
            return;
        }
        const QVariantMap map = result.toMap();
        m_requests->documentMade(map.value(QStringLiteral("born")).toLongLong());
        m_requests->finished(map.value(QStringLiteral("finished")).toList());
        ScrollState state;
        state.requestAgesMs = m_requests->openAges();
        state.y = map.value(QStringLiteral("y")).toDouble();
        state.viewport = map.value(QStringLiteral("viewport")).toDouble();
        state.height = map.value(QStringLiteral("height")).toDouble();
        state.frames = map.value(QStringLiteral("frames")).toLongLong();
        state.loading = map.value(QStringLiteral("loading")).toInt();
        state.unstartedInView = map.value(QStringLiteral("unstarted")).toInt();
        state.pictures = map.value(QStringLiteral("pictures")).toStringList();
        done(state);
    });
}

void WebEnginePageDocument::scrollBy(int x, int y)
{
    if (m_page && !m_rendererGone && !m_renewing && !m_hung)
        m_page->runJavaScript(PageScripts::scrollBy(x, y), QWebEngineScript::ApplicationWorld);
}

void WebEnginePageDocument::runQuery(const QString &script, Answer answer)
{
    const quint64 id = m_nextQuery++;
    m_queries.insert(id, std::move(answer));
    // A gone renderer answers nothing: fail at once rather than after the time-out.
    const bool answerable = m_page && !m_rendererGone && !m_renewing && !m_hung;
    QTimer::singleShot(answerable ? m_queryTimeoutMs : 0, this, [this, id] { answerQuery(id, QVariant()); });
    if (!answerable)
        return;
    QPointer<WebEnginePageDocument> self(this);
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [self, id](const QVariant &result) {
        if (self)
            self->answerQuery(id, result);
    });
}

void WebEnginePageDocument::answerQuery(quint64 id, const QVariant &result)
{
    const Answer answer = m_queries.take(id);
    if (answer)
        answer(result);
}

void WebEnginePageDocument::answerAllQueries()
{
    const QList<quint64> ids = m_queries.keys();
    for (quint64 id : ids)
        answerQuery(id, QVariant());
}
