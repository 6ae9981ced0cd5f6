#pragma once

#include "collection/item_record.h"
#include "lists/item_lines.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class ItemList;

// One downloaded item as the spreadsheet shows it, read back from its folder.
// Whatever could not be read stays empty, and the notes say why.
struct ExportItem
{
    // The list's entry, where the user's item numbers live; its empty fields
    // are taken from the info file.
    DownloadedLine line;
    bool folderExists = false;
    QList<AttributePair> attributes;
    std::optional<int> mainCount; // nothing when the folder is gone
    std::optional<int> descCount;
    QString firstMainPicture;     // the lowest-numbered 主图 file; empty when there is none
    QStringList notes;
};

// Reads the entry's folder: its info file and the files of 主图 and 描述图.
ExportItem readExportItem(const DownloadedLine &line);

// The attribute names over all items, each once, in the order first seen.
QStringList attributeColumns(const QList<ExportItem> &items);

// The item's values under those names; a name the item has twice shows both values.
QStringList attributeCells(const ExportItem &item, const QStringList &columns);

// The selected entries of the downloaded list, or all of them when none is selected.
QList<DownloadedLine> linesToExport(const ItemList &downloaded);

// The sheet's header row: the fixed columns around the attribute columns. An
// attribute named like a fixed column (the page's own "货号") is headed
// "货号(属性)", so that no two columns read alike.
QStringList sheetHeader(const QStringList &attributes);
