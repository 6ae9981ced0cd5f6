#include "shell/window/main/app_icon.h"

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/zorvane-picker/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}
