#pragma once

#include "collection/page_document.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QSignalSpy>

#include <memory>
#include <optional>

// Bounded waits on a page document's asynchronous answers. They wait on
// signals (QSignalSpy::wait runs the event loop at full speed; polling with
// QTest::qWaitFor sleeps between rounds, which slows Chromium down a lot).

// A signal to wait on for an answer that comes through a callback.
class AnswerSignal : public QObject
{
    Q_OBJECT
signals:
    void answered();
};

// True when the spy has seen its signal, waiting for it when not yet.
inline bool waitForSignal(QSignalSpy &spy, int timeoutMs = 30000)
{
    return !spy.isEmpty() || spy.wait(timeoutMs);
}

struct LoadResult
{
    bool ended = false;
    bool ok = false;
    bool timedOut = false;
};

inline LoadResult navigateAndWait(PageDocument &doc, const QString &address, int timeoutMs = 30000)
{
    QSignalSpy ended(&doc, &PageDocument::loadEnded);
    doc.Navigate(address);
    LoadResult r;
    r.ended = waitForSignal(ended, timeoutMs);
    if (r.ended) {
        r.ok = ended.first().at(0).toBool();
        r.timedOut = ended.first().at(1).toBool();
    }
    return r;
}

// Asks through `ask` (which passes on a callback) and waits for the answer;
// nothing when none came within the bound.
template <typename T, typename Ask>
std::optional<T> waitForAnswer(Ask ask, int timeoutMs)
{
    auto result = std::make_shared<std::optional<T>>();
    AnswerSignal signal;
    QSignalSpy spy(&signal, &AnswerSignal::answered);
    QPointer<AnswerSignal> guard(&signal);
    ask([result, guard](const T &value) {
        *result = value;
        if (guard)
            emit guard->answered();
    });
    if (!result->has_value())
        spy.wait(timeoutMs);
    return *result;
}

inline std::optional<PageSnapshot> snapshotOf(PageDocument &doc, int timeoutMs = 30000)
{
    return waitForAnswer<PageSnapshot>([&doc](auto done) { doc.readSnapshot(done); }, timeoutMs);
}

// Nothing when the page did not answer.
inline std::optional<double> scrollHeightOf(PageDocument &doc, int timeoutMs = 30000)
{
    const auto answer = waitForAnswer<std::optional<double>>([&doc](auto done) { doc.readScrollHeight(done); },
                                                             timeoutMs);
    return answer ? *answer : std::nullopt;
}

// Asks for the body's scroll height until it exceeds `height`.
inline bool waitForScrollHeightAbove(PageDocument &doc, double height, int timeoutMs = 30000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const std::optional<double> now = scrollHeightOf(doc, int(deadline.remainingTime()));
        if (now && *now > height)
            return true;
    }
    return false;
}
