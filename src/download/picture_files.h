#pragma once

#include <QByteArray>
#include <QString>

// E: the address's last four characters, with any folder separator dropped so
// that the file stays inside its folder.
QString pictureExtension(const QString &address);

// A body that is plainly no picture: declared as text, or starting as markup
// (an error page sent with status 200).
bool isPlainlyNoPicture(const QByteArray &contentType, const QByteArray &head);
