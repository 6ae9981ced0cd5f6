#include "shell/window/main/focus_chain.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFocusFrame>
#include <QWebEngineView>

namespace {

bool takesTab(const QWidget *w)
{
    return w && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
}

// Widgets whose focus would not show by itself: no frame colour, no cursor while empty.
bool showsNoFocus(const QWidget *w)
{
    return qobject_cast<const QAbstractScrollArea *>(w) || qobject_cast<const QWebEngineView *>(w);
}

} // namespace

FocusChain::FocusChain(QWidget *window)
    : QObject(window)
    , m_frame(new QFocusFrame(window))
{
    m_frame->setObjectName(QStringLiteral("FocusFrame"));
    m_frame->hide();
    // A click or the program moving the focus takes the frame away.
    connect(qApp, &QApplication::focusChanged, this,
                     [this](QWidget *, QWidget *now) { focusChanged(now); });
}

QWidget *FocusChain::next(const QList<QWidget *> &chain, const QWidget *focus, bool forward)
{
    const qsizetype count = chain.size();
    qsizetype at = -1;
    for (qsizetype i = 0; i < count && focus; ++i) {
        if (chain.at(i) && (chain.at(i) == focus || chain.at(i)->isAncestorOf(focus)))
            at = i;
    }
    if (at < 0)
        at = forward ? count - 1 : 0;
    for (qsizetype step = 1; step <= count; ++step) {
        QWidget *candidate = chain.at((at + (forward ? step : count - step)) % count);
        if (takesTab(candidate))
            return candidate;
    }
    return nullptr;
}

bool FocusChain::move(const QList<QWidget *> &chain, bool forward)
{
    QWidget *target = next(chain, QApplication::focusWidget(), forward);
    if (!target)
        return false;
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (showsNoFocus(target)) {
        m_framed = target;
        m_frame->setWidget(target);
        m_frame->show();
    }
    return true;
}

void FocusChain::focusChanged(QWidget *now)
{
    if (m_framed && (now == m_framed || m_framed->isAncestorOf(now)))
        return;
    m_framed = nullptr;
    m_frame->setWidget(nullptr);
    m_frame->hide();
}
