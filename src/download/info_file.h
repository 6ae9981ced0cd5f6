#pragma once

#include "collection/item_record.h"

#include <QDateTime>
#include <QString>

#include <optional>

// Text of 宝贝基本信息.txt: item number, title, address, date, then one line per
// attribute; every line ends in CR LF. The labels use the full-width colon,
// attribute lines the ASCII one.
QString infoFileText(const ItemRecord &item, const QString &title, const QDateTime &when);

// What an info file says, read back.
struct InfoFile
{
    QString itemNo;
    QString title;
    QString address;
    QString date; // as written
    QList<AttributePair> attributes;
};

// Reads the text infoFileText writes (any line ends). An attribute line is cut
// at its first ":", so values keep theirs; lines without one are not
// attributes and are skipped. Nothing when the text does not begin with the
// item number's label.
std::optional<InfoFile> parseInfoFile(const QString &text);

inline const QString InfoFileName = QStringLiteral("宝贝基本信息.txt");
