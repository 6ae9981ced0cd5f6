// A page or its pictures that get no answer at all may mean the item's host
// failed, or the network did. The network check tells: with the network gone,
// the items are not failing, so they go back on top uncounted and the batch
// waits, asking again every networkRecheckMs, and goes on by itself.
#include "collection/batch/batch_cycle.h"

#include "collection/status_log.h"
#include "platform/net/net_check.h"

#include <QPointer>

qint64 BatchCycle::now() const
{
    return m_s.clock ? m_s.clock() : m_steady.elapsed();
}

void BatchCycle::onUnanswered(Collector &collector)
{
    if (m_offline) {
        collector.networkChecked(false);
        return;
    }
    m_unanswered.append(&collector);
    askNetwork();
}

void BatchCycle::askNetwork()
{
    if (m_askingNetwork || m_halted)
        return;
    m_askingNetwork = true;
    QPointer<BatchCycle> self(this);
    m_s.net.CheckNetOpen(this, [self](bool reachable) {
        if (self && !self->m_halted) {
            self->m_askingNetwork = false;
            self->onNetworkAnswer(reachable);
        }
    });
}

void BatchCycle::onNetworkAnswer(bool reachable)
{
    if (!reachable)
        goOffline();
    // The unanswered pages learn what it was: the item's own failure, or no network.
    for (Collector *c : std::exchange(m_unanswered, {}))
        c->networkChecked(reachable);
    if (const QString page = std::exchange(m_checkUnanswered, {}); !page.isEmpty()) {
        if (reachable) {
            checkRefuted(page);
            itemDone();
        } else {
            m_moved.checkAbandoned();
        }
    }
    if (reachable) {
        leaveOffline(true);
        return;
    }
    if (!m_toldTooLong && now() - m_offlineSince >= m_intervals.offlineLimitMs) {
        m_toldTooLong = true;
        m_s.log.AddMesg(QStringLiteral("网络已中断%1分钟,仍在等待网络恢复").arg(m_intervals.offlineLimitMs / 60000));
        emit offlineTooLong();
    }
    if (m_offline && !m_halted)
        m_recheck.start(m_intervals.networkRecheckMs);
}

void BatchCycle::goOffline()
{
    if (m_offline)
        return;
    m_offline = true;
    m_offlineSince = now();
    m_toldTooLong = false;
    m_s.log.AddMesg(QStringLiteral("采集中:网络不通(无法连接Zorvane),采集暂停,每%1秒检测一次网络,网络恢复后自动继续采集_")
                        .arg(m_intervals.networkRecheckMs / 1000));
    emit networkLost();
    emit uiStateChanged();
}

void BatchCycle::leaveOffline(bool log)
{
    m_recheck.stop();
    if (!m_offline)
        return;
    m_offline = false;
    if (log)
        m_s.log.AddMesg(QStringLiteral("采集中:网络已恢复,继续采集_"));
    emit networkBack();
    emit uiStateChanged();
    if (m_controller.isActive() && !m_pauseFlag) {
        decideMoved();
        fillCollectors();
    }
}
