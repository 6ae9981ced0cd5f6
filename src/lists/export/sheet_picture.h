#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// A small picture for a spreadsheet row, encoded.
struct SheetPicture
{
    QByteArray bytes; // PNG or JPEG; empty when there is no picture
    QSize size;       // in pixels, at 96 dots per inch

    bool isNull() const { return bytes.isEmpty(); }
};

// The picture at path, decoded at a size that fits a square of the given
// side (never enlarged). Empty when the path is empty or the file is no
// readable picture. Safe on any thread.
SheetPicture sheetPicture(const QString &path, int side);
