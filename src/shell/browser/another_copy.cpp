#include "shell/browser/another_copy.h"

#include <QCoreApplication>
#include <QProcess>

QStringList anotherCopyArguments(const QStringList &arguments, const QString &programFolder)
{
    const QString checkHost = QStringLiteral("--check-host");
    QStringList copy = {QStringLiteral("--program-folder"), programFolder};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == u"--webEngineArgs") {
            copy += arguments.mid(i);
            break;
        }
        if (argument == checkHost && i + 1 < arguments.size())
            copy << argument << arguments.at(++i);
        else if (argument.startsWith(checkHost + QLatin1Char('=')))
            copy << argument;
    }
    return copy;
}

bool new_Click(ProcessStarter &starter, const QStringList &ownArguments, const QString &programFolder)
{
    return starter.startDetached(QCoreApplication::applicationFilePath(),
                                 anotherCopyArguments(ownArguments.mid(1), programFolder));
}

bool DetachedProcessStarter::startDetached(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}
