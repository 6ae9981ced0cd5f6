#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The program's text files (listdata.txt, config.ini, the info files) are
// GB18030 with CR LF line ends: byte for byte what the Windows program writes
// in its GBK code page for every GBK character, and lossless for the rest.
QByteArray encodeLocalText(const QString &text);
QString decodeLocalText(const QByteArray &bytes);

// Writes the whole file through a temporary file and an atomic rename, so a
// crash or a full disk never leaves it half written. On failure the previous
// file stays as it was and errorText (when given) says why.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *errorText = nullptr);

// Text form of the above: the text is encoded as it stands (callers join lines with CR LF).
bool writeLocalTextFile(const QString &path, const QString &text, QString *errorText = nullptr);

// The decoded file, or nothing when it cannot be opened.
std::optional<QString> readLocalTextFile(const QString &path);

// Splits file text into lines at CR LF, lone LF or lone CR.
QStringList splitLines(const QString &text);
