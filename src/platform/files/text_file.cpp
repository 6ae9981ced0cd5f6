#include "platform/files/text_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

QByteArray encodeLocalText(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString decodeLocalText(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *errorText)
{
    QSaveFile file(path);
    // Unbuffered, so that a short write (full disk) shows in write()'s result:
    // QSaveFile commits a buffered file whose flush came up short.
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    const bool opened = ok;
    ok = ok && file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (!ok) {
        if (errorText) {
            *errorText = opened && file.error() == QFileDevice::NoError
                ? QStringLiteral("磁盘空间不足,文件未能完整写入")
                : file.errorString();
        }
        file.cancelWriting();
    }
    return ok;
}

bool writeLocalTextFile(const QString &path, const QString &text, QString *errorText)
{
    return writeFileAtomically(path, encodeLocalText(text), errorText);
}

std::optional<QString> readLocalTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decodeLocalText(file.readAll());
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        lines.append(current);
    return lines;
}
