#pragma once

#include "platform/net/net_check.h"

#include <QList>
#include <QPointer>

#include <functional>

// A reachability check that answers only when the test says so, as a slow
// resolver would.
class LateNetCheck : public NetCheck
{
public:
    LateNetCheck() : NetCheck(QString()) {}

    void CheckNetOpen(const QObject *context, std::function<void(bool)> done) override
    {
        m_waiting.append({const_cast<QObject *>(context), std::move(done)});
    }

    // Checks asked for and not answered yet.
    int waiting() const { return int(m_waiting.size()); }

    // Answers every check asked for so far whose context is still there.
    void answer(bool reachable)
    {
        const QList<Waiting> now = std::exchange(m_waiting, {});
        for (const Waiting &check : now) {
            if (check.context)
                check.done(reachable);
        }
    }

private:
    struct Waiting
    {
        QPointer<QObject> context;
        std::function<void(bool)> done;
    };
    QList<Waiting> m_waiting;
};
