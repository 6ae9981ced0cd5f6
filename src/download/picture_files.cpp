#include "download/picture_files.h"

QString pictureExtension(const QString &address)
{
    QString extension = address.right(4);
    extension.remove(QLatin1Char('/'));
    extension.remove(QLatin1Char('\\'));
    extension.remove(QChar(0));
    return extension;
}

bool isPlainlyNoPicture(const QByteArray &contentType, const QByteArray &head)
{
    if (contentType.trimmed().toLower().startsWith("text/"))
        return true;
    QByteArray start = head;
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    return start.trimmed().startsWith('<');
}
