#include "shop/change_record.h"

#include "platform/files/text_file.h"

#include <QDir>

ChangeRecord::ChangeRecord(const QString &folder)
    : m_path(QDir(folder).filePath(fileName()))
{
}

bool ChangeRecord::append(const QString &block, QString *error)
{
    QString text = readLocalTextFile(m_path).value_or(QString());
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QStringLiteral("\r\n");
    return writeLocalTextFile(m_path, text + block, error);
}

QStringList ChangeRecord::lastBlocks(int count) const
{
    QStringList blocks;
    QStringList current;
    const QStringList lines = splitLines(readLocalTextFile(m_path).value_or(QString()));
    for (qsizetype i = lines.size() - 1; i >= 0 && blocks.size() < count; --i) {
        current.prepend(lines.at(i));
        // A block opens with its date in brackets.
        if (lines.at(i).startsWith(QLatin1Char('[')) && lines.at(i).contains(QStringLiteral("] 店铺上新检查:"))) {
            blocks << current.join(QStringLiteral("\r\n"));
            current.clear();
        }
    }
    return blocks;
}
