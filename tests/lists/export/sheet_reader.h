#pragma once

#include "child_process.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QVariant>

#include <utility>

// What an .xlsx file holds as a real reader sees it: Debian's openpyxl, run
// by the system's python (the one with python3-openpyxl), through read_xlsx.py.
struct SheetContents
{
    struct Picture
    {
        int row = 0, col = 0, toRow = 0, toCol = 0; // the anchor's corner cells, 0-based
        QImage image;
    };

    QString error; // the reader's complaint; empty when it read the file
    QStringList sheets;
    QList<QVariantList> rows; // cell values of the first sheet, 0-based
    QMap<std::pair<int, int>, QString> links; // (row, col) → target
    QList<Picture> pictures;

    QVariant cell(int row, int col) const { return rows.value(row).value(col); }
    const Picture *pictureAt(int row) const
    {
        for (const Picture &picture : pictures)
            if (picture.row == row)
                return &picture;
        return nullptr;
    }
};

// The reader's JSON, or its complaint in error.
inline QJsonObject runSheetReader(const QStringList &arguments, QString &error)
{
    ChildProcess reader(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(READ_XLSX_SCRIPT)} + arguments,
                        QProcessEnvironment::systemEnvironment());
    if (!reader.waitForExit() || reader.process.exitCode() != 0) {
        error = QStringLiteral("reader failed: ") + QString::fromUtf8(reader.process.readAllStandardError());
        return {};
    }
    return QJsonDocument::fromJson(reader.output.toUtf8()).object();
}

inline SheetContents readSheet(const QString &path)
{
    SheetContents contents;
    const QJsonObject json = runSheetReader({path}, contents.error);
    for (const QJsonValue &name : json.value(QLatin1String("sheets")).toArray())
        contents.sheets.append(name.toString());
    for (const QJsonValue &row : json.value(QLatin1String("rows")).toArray())
        contents.rows.append(row.toArray().toVariantList());
    for (const QJsonValue &link : json.value(QLatin1String("links")).toArray()) {
        const QJsonObject o = link.toObject();
        contents.links.insert({o.value(QLatin1String("row")).toInt(), o.value(QLatin1String("col")).toInt()},
                              o.value(QLatin1String("target")).toString());
    }
    for (const QJsonValue &picture : json.value(QLatin1String("pictures")).toArray()) {
        const QJsonObject o = picture.toObject();
        contents.pictures.append({o.value(QLatin1String("row")).toInt(), o.value(QLatin1String("col")).toInt(),
                                  o.value(QLatin1String("toRow")).toInt(), o.value(QLatin1String("toCol")).toInt(),
                                  QImage::fromData(QByteArray::fromBase64(
                                      o.value(QLatin1String("bytes")).toString().toLatin1()))});
    }
    return contents;
}

// A sheet too big for openpyxl to load in good time, read from its XML: the
// cells (like "G7") that carry links, and the text of the cells asked for.
struct SheetCells
{
    QString error;
    QStringList links;
    QMap<QString, QString> cells;
};

inline SheetCells readSheetCells(const QString &path, const QStringList &refs)
{
    SheetCells contents;
    const QJsonObject json = runSheetReader(QStringList{QStringLiteral("--cells"), path} + refs, contents.error);
    for (const QJsonValue &link : json.value(QLatin1String("links")).toArray())
        contents.links.append(link.toString());
    const QJsonObject cells = json.value(QLatin1String("cells")).toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it)
        contents.cells.insert(it.key(), it.value().toString());
    return contents;
}
