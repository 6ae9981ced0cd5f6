#pragma once

#include <QString>
#include <QStringList>

// 店铺上新记录.txt in the save folder: every check's dated block after the
// earlier ones, GB18030 with CR LF like the program's other text files.
class ChangeRecord
{
public:
    static QString fileName() { return QStringLiteral("店铺上新记录.txt"); }
    explicit ChangeRecord(const QString &folder);

    QString path() const { return m_path; }
    // The file is written whole through a temporary file: a crash leaves the
    // earlier blocks as they were.
    bool append(const QString &block, QString *error);
    // The last `count` blocks, newest first.
    QStringList lastBlocks(int count) const;

private:
    QString m_path;
};
