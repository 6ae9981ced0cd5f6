#include "platform/web/answer_watch.h"

#include <QDateTime>
#include <QPointer>

AnswerWatch::AnswerWatch(Probe probe, int probeEveryMs, QObject *parent)
    : QObject(parent)
    , m_probe(std::move(probe))
{
    m_every.setInterval(probeEveryMs);
    connect(&m_every, &QTimer::timeout, this, &AnswerWatch::ask);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &AnswerWatch::onDeadline);
}

void AnswerWatch::start(int firstAnswerMs)
{
    stop();
    m_running = true;
    m_startedAt = QDateTime::currentMSecsSinceEpoch();
    m_every.start();
    m_deadline.start(firstAnswerMs);
}

void AnswerWatch::stop()
{
    m_running = false;
    m_answered = false;
    m_pastDeadline = false;
    m_asked = 0;
    m_missed.clear();
    ++m_run;
    m_every.stop();
    m_deadline.stop();
}

void AnswerWatch::ask()
{
    if (!m_running)
        return;
    // A hanging renderer keeps a question for the whole query time: the next
    // one goes out meanwhile, so two misses take one query time, not two.
    const quint64 run = m_run, question = ++m_asked;
    QPointer<AnswerWatch> self(this);
    m_probe([self, run, question](std::optional<qint64> born) {
        if (self)
            self->onAnswer(run, question, born);
    });
}

void AnswerWatch::onAnswer(quint64 run, quint64 question, std::optional<qint64> born)
{
    if (!m_running || run != m_run)
        return;
    if (!born) {
        // In asking order, since answers may arrive in any order.
        m_missed.insert(question);
        if (m_missed.contains(question - 1) || m_missed.contains(question + 1)) {
            end(&AnswerWatch::hung);
            return;
        }
        if (question == m_asked)
            ask(); // at once: was it lost, or does nothing answer?
        return;
    }
    if (*born >= m_startedAt)
        m_answered = true;
    else if (m_pastDeadline)
        end(&AnswerWatch::noAnswer);
}

void AnswerWatch::onDeadline()
{
    m_pastDeadline = true;
    // Once answered, only a hang is left to watch for. Otherwise the next
    // answer from the old page decides.
    if (!m_answered)
        ask();
}

void AnswerWatch::end(void (AnswerWatch::*verdict)())
{
    stop();
    emit (this->*verdict)();
}
