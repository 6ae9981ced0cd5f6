#pragma once

#include <QObject>
#include <QSet>
#include <QTimer>

#include <functional>
#include <optional>

// Watches a navigation for a page that sends nothing or whose renderer hangs,
// so that such a page costs seconds instead of the whole load time. It asks
// the view every second when the document it holds was made, without waiting
// for the questions before: a document made after the start is the new page
// answering; one made before is the old page, still there; two questions in a
// row without an answer are a renderer that hangs. One missing answer alone
// may be a question lost as the new page replaced the old one; the question
// after it, asked a second later, reaches the new page.
class AnswerWatch : public QObject
{
    Q_OBJECT
public:
    // Answers with the document's birth (epoch ms, 0 when unknown), or with
    // nothing when the renderer did not answer in time.
    using Probe = std::function<void(std::function<void(std::optional<qint64> born)>)>;

    explicit AnswerWatch(Probe probe, int probeEveryMs = 1000, QObject *parent = nullptr);

    // A navigation starts now; its page must answer within firstAnswerMs.
    void start(int firstAnswerMs);
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // Nothing of the new page has arrived in time: the old page still answers.
    void noAnswer();
    // The renderer answers nothing.
    void hung();

private:
    void ask();
    void onAnswer(quint64 run, quint64 question, std::optional<qint64> born);
    void onDeadline();
    void end(void (AnswerWatch::*verdict)());

    Probe m_probe;
    QTimer m_every;
    QTimer m_deadline;
    bool m_running = false;
    bool m_answered = false;     // the new page has answered
    bool m_pastDeadline = false;
    qint64 m_startedAt = 0;      // epoch ms
    quint64 m_run = 0;           // answers to earlier runs are not counted
    quint64 m_asked = 0;         // questions of this run so far
    QSet<quint64> m_missed;      // questions of this run that went unanswered
};
