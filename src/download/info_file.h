#pragma once

#include "collection/item_record.h"

#include <QDateTime>
#include <QString>

// Text of 宝贝基本信息.txt: item number, title, address, date, then one line per
// attribute; every line ends in CR LF. The labels use the full-width colon,
// attribute lines the ASCII one.
QString infoFileText(const ItemRecord &item, const QString &title, const QDateTime &when);

inline const QString InfoFileName = QStringLiteral("宝贝基本信息.txt");
