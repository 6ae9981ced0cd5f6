#include "lists/export/export_items.h"

#include "download/info_file.h"
#include "lists/item_list.h"
#include "platform/files/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace {

const QString MainFolder = QStringLiteral("主图");
const QString DescFolder = QStringLiteral("描述图");

// Visible files only: a picture still arriving has a hidden name.
std::optional<QStringList> filesIn(const QDir &folder)
{
    if (!folder.exists())
        return std::nullopt;
    return folder.entryList(QDir::Files);
}

QString lowestNumbered(const QDir &folder, const QStringList &files)
{
    static const QRegularExpression numbered(QStringLiteral("^主图(\\d+)"));
    QString best;
    qlonglong bestNumber = 0;
    for (const QString &file : files) {
        const QRegularExpressionMatch match = numbered.match(file);
        if (!match.hasMatch())
            continue;
        const qlonglong number = match.captured(1).toLongLong();
        if (best.isEmpty() || number < bestNumber) {
            best = file;
            bestNumber = number;
        }
    }
    return best.isEmpty() ? QString() : folder.filePath(best);
}

void fillEmpty(QString &field, const QString &fromFile)
{
    if (field.isEmpty())
        field = fromFile;
}

} // namespace

ExportItem readExportItem(const DownloadedLine &line)
{
    ExportItem item;
    item.line = line;
    const QDir folder(line.folder);
    if (line.folder.isEmpty() || !folder.exists()) {
        item.notes.append(QStringLiteral("目录不存在"));
        return item;
    }
    item.folderExists = true;

    const QString infoPath = folder.filePath(InfoFileName);
    if (!QFileInfo::exists(infoPath)) {
        item.notes.append(InfoFileName + QStringLiteral("不存在"));
    } else if (const std::optional<QString> text = readLocalTextFile(infoPath); !text) {
        item.notes.append(InfoFileName + QStringLiteral("无法读取"));
    } else if (const std::optional<InfoFile> info = parseInfoFile(*text); !info) {
        item.notes.append(InfoFileName + QStringLiteral("内容无法识别"));
    } else {
        item.attributes = info->attributes;
        fillEmpty(item.line.itemNo, info->itemNo);
        fillEmpty(item.line.title, info->title);
        fillEmpty(item.line.address, info->address);
    }

    const QDir mainFolder(folder.filePath(MainFolder));
    if (const std::optional<QStringList> files = filesIn(mainFolder)) {
        item.mainCount = int(files->size());
        item.firstMainPicture = lowestNumbered(mainFolder, *files);
    } else {
        item.notes.append(MainFolder + QStringLiteral("目录不存在"));
    }
    if (const std::optional<QStringList> files = filesIn(QDir(folder.filePath(DescFolder))))
        item.descCount = int(files->size());
    else
        item.notes.append(DescFolder + QStringLiteral("目录不存在"));
    return item;
}

QStringList attributeColumns(const QList<ExportItem> &items)
{
    QStringList columns;
    QSet<QString> seen;
    for (const ExportItem &item : items) {
        for (const AttributePair &attribute : item.attributes) {
            if (!seen.contains(attribute.first)) {
                seen.insert(attribute.first);
                columns.append(attribute.first);
            }
        }
    }
    return columns;
}

QStringList attributeCells(const ExportItem &item, const QStringList &columns)
{
    QHash<QString, qsizetype> position;
    for (qsizetype i = 0; i < columns.size(); ++i)
        position.insert(columns.at(i), i);
    QStringList cells(columns.size());
    for (const AttributePair &attribute : item.attributes) {
        const auto it = position.constFind(attribute.first);
        if (it == position.cend())
            continue;
        QString &cell = cells[*it];
        cell = cell.isEmpty() ? attribute.second : cell + QStringLiteral("；") + attribute.second;
    }
    return cells;
}

QList<DownloadedLine> linesToExport(const ItemList &downloaded)
{
    const bool all = downloaded.selectedCount() == 0;
    QList<DownloadedLine> lines;
    for (int i = 0; i < downloaded.count(); ++i) {
        if (all || downloaded.isSelected(i))
            lines.append(DownloadedLine::parse(downloaded.at(i)));
    }
    return lines;
}

QStringList sheetHeader(const QStringList &attributes)
{
    const QStringList before{QStringLiteral("序号"), QStringLiteral("货号"), QStringLiteral("标题")};
    const QStringList after{QStringLiteral("主图数"), QStringLiteral("描述图数"), QStringLiteral("宝贝目录"),
                            QStringLiteral("宝贝链接"), QStringLiteral("主图"),   QStringLiteral("备注")};
    QStringList header = before;
    for (const QString &name : attributes)
        header.append(before.contains(name) || after.contains(name) ? name + QStringLiteral("(属性)") : name);
    return header + after;
}
