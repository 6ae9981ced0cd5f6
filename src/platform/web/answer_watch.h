#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// Watches a navigation for a page that sends nothing or whose renderer hangs,
// so that such a page costs seconds instead of the whole load time. It asks
// the view now and then when the document it holds was made: a document made
// after the start is the new page answering; one made before is the old page,
// still there; no answer at all twice in a row is a renderer that hangs (one
// missing answer alone may be a question lost as the new page replaced the
// old one).
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
    void onAnswer(quint64 question, std::optional<qint64> born);
    void onDeadline();
    void end(void (AnswerWatch::*verdict)());

    Probe m_probe;
    QTimer m_every;
    QTimer m_deadline;
    bool m_running = false;
    bool m_asking = false;       // a question has not been answered yet
    bool m_answered = false;     // the new page has answered
    bool m_pastDeadline = false;
    int m_missed = 0;            // questions in a row without an answer
    qint64 m_startedAt = 0;      // epoch ms
    quint64 m_question = 0;      // answers to earlier runs are not counted
};
