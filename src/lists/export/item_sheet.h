#pragma once

#include "lists/export/export_items.h"
#include "lists/export/sheet_picture.h"

#include <QList>
#include <QString>

// The side, in pixels, of the square a row's picture fits in.
inline constexpr int SheetPictureSide = 80;

// One item's row: what its folder says and its first main picture, small.
struct SheetRow
{
    ExportItem item;
    SheetPicture picture;
};

// Reads the entry's folder and makes its picture; a picture that cannot be
// read is noted. Safe on any thread.
SheetRow readSheetRow(const DownloadedLine &line);

// Writes the rows to an .xlsx file at path under a header row. The file is
// written under a temporary name beside it and renamed into place once
// complete, so a failure leaves neither half a file nor a changed old one;
// errorText then says why, in Chinese.
bool writeItemSheet(const QList<SheetRow> &rows, const QString &path, QString *errorText = nullptr);
