#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QFocusFrame;
class QWidget;

// The window's Tab order, written out: the controls a user can see, in
// reading order. Controls hidden, disabled or covered (the caller leaves
// them out of the chain) are passed over; past the last comes the first.
// Lists, text boxes and pages show no focus of their own when empty, so the
// stop Tab brings them to is framed.
class FocusChain : public QObject
{
public:
    explicit FocusChain(QWidget *window);

    // Moves the focus along `chain` from the widget that has it; false when
    // no control of the chain can take it.
    bool move(const QList<QWidget *> &chain, bool forward);

    // The control of the chain after (or before) the one holding `focus`:
    // the first (or last) one that can take the focus when none holds it.
    static QWidget *next(const QList<QWidget *> &chain, const QWidget *focus, bool forward);

private:
    void focusChanged(QWidget *now);

    QFocusFrame *m_frame;
    QPointer<QWidget> m_framed;
};
