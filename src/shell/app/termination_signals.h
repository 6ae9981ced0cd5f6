#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT and SIGTERM delivered as a Qt signal on the GUI thread (self-pipe),
// so that the shutdown steps run in the event loop, not in a signal handler.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    QSocketNotifier *m_notifier = nullptr;
};
