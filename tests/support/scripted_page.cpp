#include "scripted_page.h"

#include <QPointer>
#include <QTimer>

ScriptedPage::ScriptedPage()
{
    m_clock.start();
    // An empty page, as a new view holds.
    m_current = QStringLiteral("about:blank");
    m_page.valid = true;
    m_page.url = m_current;
    m_page.documentToken = QStringLiteral("0");
}

void ScriptedPage::startRequest(const QString &name, qint64 ageMs)
{
    m_requests.append({name, m_clock.elapsed() - ageMs});
}

void ScriptedPage::finishRequest(const QString &name)
{
    for (qsizetype i = 0; i < m_requests.size(); ++i) {
        if (m_requests.at(i).first == name) {
            m_requests.removeAt(i);
            return;
        }
    }
}

void ScriptedPage::onTick(int tickNumber, std::function<void(ScriptedPage &)> change)
{
    m_onTick[tickNumber].append(std::move(change));
}

void ScriptedPage::whenBottomReaches(double bottom, std::function<void(ScriptedPage &)> change)
{
    m_whenBottom.append({bottom, std::move(change)});
}

template <typename Answer>
void ScriptedPage::later(Answer answer)
{
    QPointer<ScriptedPage> self(this);
    QTimer::singleShot(0, this, [self, answer = std::move(answer)]() mutable {
        if (self)
            answer();
    });
}

bool ScriptedPage::answering() const
{
    return answers && !m_hangs && (m_loadAnswers < 0 || m_ticksThisLoad < m_loadAnswers);
}

void ScriptedPage::tick()
{
    ++m_ticks;
    ++m_ticksThisLoad;
    for (const auto &change : m_onTick.take(m_ticks))
        change(*this);
    for (qsizetype i = 0; i < m_whenBottom.size();) {
        if (y + viewport >= m_whenBottom.at(i).first) {
            const auto change = m_whenBottom.takeAt(i).second;
            change(*this);
        } else {
            ++i;
        }
    }
}

void ScriptedPage::readScrollHeight(std::function<void(std::optional<double>)> done)
{
    later([this, done = std::move(done)] {
        if (!answering()) {
            done(std::nullopt);
            return;
        }
        tick();
        done(height);
    });
}

void ScriptedPage::readScrollState(std::function<void(std::optional<ScrollState>)> done)
{
    later([this, done = std::move(done)] {
        if (!answering()) {
            done(std::nullopt);
            return;
        }
        tick();
        ScrollState state;
        state.y = y;
        state.viewport = viewport;
        state.height = height;
        state.frames = m_ticks;
        state.loading = loading;
        state.unstartedInView = unstartedInView;
        state.pictures = pictures;
        const qint64 now = m_clock.elapsed();
        for (const auto &request : m_requests)
            state.requestAgesMs.append(now - request.second);
        done(state);
    });
}

void ScriptedPage::scrollBy(int, int yBy)
{
    // As a browser does: never past the end.
    y = std::clamp(y + yBy, 0.0, std::max(0.0, height - viewport));
    scrolls.append(y);
}

void ScriptedPage::serve(const QString &address, const PageSnapshot &page, Load load, int answers)
{
    m_served.insert(address, {page, load, answers});
}

void ScriptedPage::Navigate(const QString &address)
{
    m_navigating = true;
    m_held = false;
    requested.append(address);
    const Served served = m_served.value(address, {PageSnapshot{}, Load::Fails});
    if (served.load == Load::Held) {
        m_held = true;
        m_heldAddress = address;
        return;
    }
    later([this, address, served] {
        if (m_navigating && !m_held)
            arrive(address, served);
    });
}

bool ScriptedPage::release(const QString &address)
{
    // Held once: later navigations to the address are answered at once.
    const auto served = m_served.find(address);
    if (served != m_served.end() && served->load == Load::Held)
        served->load = Load::Page;
    if (!holds(address))
        return false;
    m_held = false;
    const Served answer = m_served.value(address);
    later([this, address, answer] {
        if (m_navigating && !m_held)
            arrive(address, answer);
    });
    return true;
}

void ScriptedPage::arrive(const QString &address, const Served &served)
{
    m_navigating = false;
    m_hangs = served.load == Load::Hangs;
    m_ticksThisLoad = 0;
    m_loadAnswers = served.answers >= 0 ? served.answers : answersPerLoad;
    if (served.load == Load::Fails) {
        emit loadEnded(false, false);
        return;
    }
    m_current = address;
    m_page = served.page;
    m_page.valid = true;
    m_page.documentToken = QString::number(++m_documents);
    y = 0;
    height = m_page.scrollHeight > 0 ? m_page.scrollHeight : height;
    emit loadEnded(true, false);
}

void ScriptedPage::renew()
{
    ++m_renewals;
    m_hangs = false;
}

void ScriptedPage::querySnapshot(std::function<void(const PageSnapshot &)> done)
{
    later([this, done = std::move(done)] {
        if (!answers || m_hangs) {
            done(PageSnapshot{});
            return;
        }
        PageSnapshot page = m_page;
        page.scrollHeight = height;
        done(page);
    });
}

PageSnapshot detailSnapshot(const QString &address, const QString &title, const QStringList &mainPictures,
                            const QStringList &descPictures, const QList<QPair<QString, QString>> &attributes)
{
    PageSnapshot page;
    page.valid = true;
    page.url = address;
    page.hasTitle = true;
    page.title = title;
    page.scrollHeight = 3000;
    QString gallery;
    for (const QString &picture : mainPictures)
        gallery += QStringLiteral("{\"original\":\"%1\"}").arg(picture);
    QString description;
    for (const QString &picture : descPictures)
        description += QStringLiteral("\r\n<P><IMG src=\"%1\"></P>").arg(picture);
    QString table;
    for (const auto &[name, value] : attributes)
        table += QStringLiteral("\r\n<TD class=de-feature>%1</TD>\r\n<TD class=de-value>%2</TD>").arg(name, value);
    page.blocks = {{QStringLiteral("mod-detail"), gallery},
                   {QStringLiteral("mod-detail-attributes"), table},
                   {QStringLiteral("desc-lazyload-container"), description}};
    return page;
}
