// zorvane-manpage: writes a program's manual page as the build makes the
// package's files. Usage: zorvane-manpage PROGRAM VERSION DATE OUTPUT
#include "shell/app/manual_page.h"

#include <QSaveFile>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: zorvane-manpage zorvane-picker|zorvane-picker-batch VERSION DATE OUTPUT\n");
        return 1;
    }
    const bool runner = std::strcmp(argv[1], "zorvane-picker-batch") == 0;
    if (!runner && std::strcmp(argv[1], "zorvane-picker") != 0) {
        std::fprintf(stderr, "zorvane-manpage: unknown program %s\n", argv[1]);
        return 1;
    }
    const QString page = manualPage(runner ? CommandLine::Program::Runner : CommandLine::Program::Window,
                                    QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QSaveFile file(QString::fromLocal8Bit(argv[4]));
    if (!file.open(QIODevice::WriteOnly) || file.write(page.toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "zorvane-manpage: %s\n", file.errorString().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
