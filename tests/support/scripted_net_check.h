#pragma once

#include "platform/net/net_check.h"

#include <QTimer>

#include <functional>

// A reachability check whose answer the test sets. Answers come later from the
// event loop, as a resolver's do; `asked` runs as each check is asked, before
// its answer (a test moves its clock on there, or brings the network back).
class ScriptedNetCheck : public NetCheck
{
public:
    ScriptedNetCheck() : NetCheck(QString()) {}

    bool reachable = true;
    int checks = 0;
    std::function<void(ScriptedNetCheck &)> asked;

    void CheckNetOpen(const QObject *context, std::function<void(bool)> done) override
    {
        ++checks;
        if (asked)
            asked(*this);
        QTimer::singleShot(0, context, [done = std::move(done), answer = reachable] { done(answer); });
    }
};
