#include "shop/walk_turns.h"

#include <QTimer>

std::optional<QString> WalkTurns::take(const QString &who, const QObject *context, std::function<void()> go)
{
    if (!m_held && m_waiting.isEmpty()) {
        m_held = true;
        m_holder = who;
        go();
        return std::nullopt;
    }
    m_waiting.append({who, context, std::move(go)});
    return m_holder;
}

void WalkTurns::release()
{
    m_held = false;
    m_holder.clear();
    // Not from inside the holder's own ending: the next starts afresh.
    QTimer::singleShot(0, this, &WalkTurns::passOn);
}

void WalkTurns::passOn()
{
    while (!m_held && !m_waiting.isEmpty()) {
        Waiting next = m_waiting.takeFirst();
        if (!next.context)
            continue;
        m_held = true;
        m_holder = next.who;
        next.go();
    }
}
