#pragma once

#include "platform/desktop/process_starter.h"

#include <QString>
#include <QStringList>

// "新建": another copy of the program on the same program folder. It takes
// over the check host and the Chromium flags; never --demo, which would
// empty the folder both copies use.
QStringList anotherCopyArguments(const QStringList &arguments, const QString &programFolder);

// new_Click: starts this program's executable with anotherCopyArguments of
// its own arguments (argv[0] first, as QCoreApplication::arguments gives them).
bool new_Click(ProcessStarter &starter, const QStringList &ownArguments, const QString &programFolder);

// QProcess::startDetached: the copy lives on when this one ends.
class DetachedProcessStarter : public ProcessStarter
{
public:
    bool startDetached(const QString &program, const QStringList &arguments) override;
};
