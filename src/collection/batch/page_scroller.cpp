#include "collection/batch/page_scroller.h"

#include "collection/page_document.h"

#include <QPointer>

#include <algorithm>

StandardScroller::StandardScroller(PageDocument &view, int tickMs, int maxScrollMs, QObject *parent)
    : PageScroller(parent)
    , m_view(view)
    , m_maxScrollMs(maxScrollMs)
{
    m_timer.setObjectName(QStringLiteral("PickTimer1"));
    m_timer.setInterval(tickMs);
    connect(&m_timer, &QTimer::timeout, this, &StandardScroller::PickTimer1_Timer);
}

void StandardScroller::start(double pageHeight)
{
    m_pickStep = 10;
    m_pickPos = 0;
    m_lastHeight = pageHeight;
    m_query = false;
    m_deadline.setRemainingTime(m_maxScrollMs);
    m_timer.start();
}

void StandardScroller::stop()
{
    m_timer.stop();
    m_pickPos = 0;
    m_query = false;
}

void StandardScroller::PickTimer1_Timer()
{
    if (m_query)
        return;
    if (m_deadline.hasExpired()) {
        stop();
        emit timedOut();
        return;
    }
    ++m_pickTick;
    m_pickPos += m_pickStep;
    m_query = true;
    QPointer<StandardScroller> self(this);
    m_view.readScrollHeight([self](std::optional<double> height) {
        if (self && self->m_timer.isActive())
            self->onScrollHeight(height);
    });
}

void StandardScroller::onScrollHeight(std::optional<double> height)
{
    if (!height) {
        stop();
        emit pageLost();
        return;
    }
    emit scrolled(std::min(m_pickPos, *height), *height);
    if (m_pickPos >= *height) {
        stop();
        emit arrived();
        return;
    }
    m_view.scrollBy(0, int(m_pickPos));
    if (m_pickTick % 5 != 0) {
        m_query = false;
        emit progressed();
        return;
    }
    QPointer<StandardScroller> self(this);
    m_view.readScrollHeight([self](std::optional<double> newHeight) {
        if (!self || !self->m_timer.isActive())
            return;
        if (!newHeight) {
            self->stop();
            emit self->pageLost();
            return;
        }
        self->m_newHeight = *newHeight;
        if (*newHeight != self->m_lastHeight)
            self->m_lastHeight = *newHeight;
        else
            self->m_pickStep = std::min(self->m_pickStep * 2, MaxPickStep);
        self->m_query = false;
        emit self->progressed();
    });
}

FastScroller::FastScroller(PageDocument &view, const Timing &timing, QObject *parent)
    : PageScroller(parent)
    , m_view(view)
    , m_timing(timing)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(timing.pollMs);
    connect(&m_timer, &QTimer::timeout, this, &FastScroller::poll);
}

void FastScroller::start(double)
{
    m_running = true;
    m_deadline.setRemainingTime(m_timing.maxScrollMs);
    m_sinceStep.start();
    m_sinceProgress.invalidate();
    m_quietFor.invalidate();
    m_seenPictures = 0;
    m_framesAtStep = 0;
    m_lastHeight = -1;
    m_atEnd = false;
    poll();
}

void FastScroller::stop()
{
    m_running = false;
    m_timer.stop();
}

void FastScroller::pollLater()
{
    if (m_running)
        m_timer.start();
}

void FastScroller::poll()
{
    QPointer<FastScroller> self(this);
    m_view.readScrollState([self](const std::optional<ScrollState> &state) {
        if (self && self->m_running)
            self->onState(state);
    });
}

void FastScroller::onState(const std::optional<ScrollState> &state)
{
    if (!state) {
        stop();
        emit pageLost();
        return;
    }
    if (m_deadline.hasExpired()) {
        stop();
        emit timedOut();
        return;
    }
    if (state->pictures.size() > m_seenPictures) {
        m_seenPictures = int(state->pictures.size());
        emit picturesSeen(state->pictures);
    }
    // Lazy loaders react to what was drawn: each view must reach the screen,
    // and the pictures it shows must have started, before the next one.
    const bool drawn = state->frames >= m_framesAtStep + 2;
    const bool started = state->unstartedInView == 0;
    if ((!drawn || !started) && m_sinceStep.elapsed() < m_timing.stepLimitMs) {
        pollLater();
        return;
    }
    if (!m_sinceProgress.isValid() || m_sinceProgress.elapsed() >= m_timing.progressMs) {
        m_sinceProgress.start();
        emit progressed();
    }
    const bool atEnd = state->y + state->viewport >= state->height - 1;
    if (!atEnd) {
        m_quietFor.invalidate();
        m_view.scrollBy(0, int(std::max(1.0, state->viewport)));
        m_framesAtStep = state->frames;
        m_sinceStep.start();
        pollLater();
        return;
    }
    // The page's own requests: a description chunk asked for as the end came
    // into view arrives only after the answer's delay.
    const auto requests = std::count_if(state->requestAgesMs.cbegin(), state->requestAgesMs.cend(),
                                        [this](qint64 age) { return age < m_timing.requestLimitMs; });
    if (state->height != m_lastHeight || state->loading > 0 || requests > 0 || !m_quietFor.isValid()) {
        m_lastHeight = state->height;
        m_quietFor.start();
    }
    if (m_quietFor.elapsed() < m_timing.settleMs) {
        pollLater();
        return;
    }
    stop();
    emit arrived();
}
