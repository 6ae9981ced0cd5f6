#pragma once

#include <QString>
#include <QStringList>

// Starts a program that outlives this one, behind a seam so that tests start no windows.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;
    // False when the program could not be started.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
};
