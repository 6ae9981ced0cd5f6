#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

// 整店采集 and the watched shops' check each hold the collector's view and the
// one offer-list walk from their start to their end (the check through its
// collecting too: a 整店采集 pausing the batch would end it). One holds them at
// a time; the others wait their turn, in the order they asked.
class WalkTurns : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // `who` says what holds the turn ("店铺上新检查"). `go` runs now when
    // nobody holds it (and nothing is returned), or later, once the holders
    // before it have let go: then the present holder's words are returned.
    // `go` never runs once `context` is gone.
    std::optional<QString> take(const QString &who, const QObject *context, std::function<void()> go);
    // The holder lets go; the next waiting one goes from the event loop.
    void release();
    bool isHeld() const { return m_held; }

private:
    struct Waiting
    {
        QString who;
        QPointer<const QObject> context;
        std::function<void()> go;
    };
    void passOn();

    bool m_held = false;
    QString m_holder;
    QList<Waiting> m_waiting;
};
