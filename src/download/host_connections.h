#pragma once

#include <QHash>
#include <QObject>
#include <QString>

// Picture transfers under way to each host, shared by every download of the
// program, so that several collectors together stay within one limit per
// host: a marketplace's picture host sees no more connections from this
// program than from one browser.
class HostConnections : public QObject
{
    Q_OBJECT
public:
    // As many as a browser opens to one host.
    static constexpr int PerHost = 6;

    using QObject::QObject;

    // A transfer to the address's host may start: counted until given back.
    bool take(const QString &address);
    void giveBack(const QString &address);
    int inUse(const QString &address) const;

signals:
    // A transfer ended: one that waited may start now.
    void freed();

private:
    static QString hostOf(const QString &address);

    QHash<QString, int> m_inUse;
};
