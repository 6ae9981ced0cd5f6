// A second copy of the program as far as the lists lock goes: takes the lock
// of the program folder given as its argument, says what it got, and holds
// it until its standard input closes.
#include "shell/app/lists_lock.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    ListsLock lock(QString::fromLocal8Bit(argv[1]));
    const ListsLock::State state = lock.acquire();
    std::puts(state == ListsLock::State::Owner ? "owner" : state == ListsLock::State::HeldElsewhere ? "held" : "unavailable");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
