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
    m_asking = false;
    m_answered = false;
    m_pastDeadline = false;
    m_missed = 0;
    ++m_question;
    m_every.stop();
    m_deadline.stop();
}

void AnswerWatch::ask()
{
    if (!m_running || m_asking)
        return;
    m_asking = true;
    const quint64 question = ++m_question;
    QPointer<AnswerWatch> self(this);
    m_probe([self, question](std::optional<qint64> born) {
        if (self)
            self->onAnswer(question, born);
    });
}

void AnswerWatch::onAnswer(quint64 question, std::optional<qint64> born)
{
    if (!m_running || question != m_question)
        return;
    m_asking = false;
    if (!born) {
        if (++m_missed >= 2) {
            end(&AnswerWatch::hung);
            return;
        }
        ask(); // at once: was it lost, or does nothing answer?
        return;
    }
    m_missed = 0;
    if (*born >= m_startedAt)
        m_answered = true;
    else if (m_pastDeadline)
        end(&AnswerWatch::noAnswer);
}

void AnswerWatch::onDeadline()
{
    m_pastDeadline = true;
    // Once answered, only a hang is left to watch for. Otherwise the next
    // answer decides: a question under way may have gone to the old page.
    if (!m_answered)
        ask();
}

void AnswerWatch::end(void (AnswerWatch::*verdict)())
{
    stop();
    emit (this->*verdict)();
}
