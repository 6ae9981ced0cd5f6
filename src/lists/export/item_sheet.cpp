#include "lists/export/item_sheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <xlsxwriter.h>

#include <filesystem>
#include <system_error>

namespace {

// Excel's limits: a cell's text, a link's length, links in one sheet.
constexpr qsizetype MaxCellText = 32767;
constexpr qsizetype MaxLinkLength = 2079;
constexpr int MaxLinks = 65530;
// A sheet's rows and columns (the library refuses cells past them, one by one).
constexpr qsizetype MaxRows = 1'048'576;
constexpr qsizetype MaxColumns = 16'384;
constexpr int PictureMargin = 2; // pixels around a row's picture
constexpr QFileDevice::Permissions OrdinaryFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;

QByteArray cellText(const QString &text)
{
    return text.left(MaxCellText).toUtf8();
}

QString libraryError(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("内存不足");
    case LXW_ERROR_CREATING_XLSX_FILE:
        return QStringLiteral("无法创建文件");
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
        return QStringLiteral("临时文件无法写入或读取(磁盘空间不足?)");
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("文件无法完整写入(磁盘空间不足或没有写入权限)");
    default:
        return QStringLiteral("表格库错误") + QString::number(int(error)) + QStringLiteral(" (")
            + QString::fromUtf8(lxw_strerror(error)) + QLatin1Char(')');
    }
}

// The rows of one workbook, written cell by cell.
class SheetWriter
{
public:
    SheetWriter(lxw_workbook *book, const QStringList &attributes)
        : m_sheet(workbook_add_worksheet(book, "宝贝"))
        , m_attributes(attributes)
    {
        m_header = workbook_add_format(book);
        format_set_bold(m_header);
        m_cell = workbook_add_format(book);
        format_set_align(m_cell, LXW_ALIGN_VERTICAL_CENTER);
        m_link = workbook_add_format(book);
        format_set_align(m_link, LXW_ALIGN_VERTICAL_CENTER);
        format_set_underline(m_link, LXW_UNDERLINE_SINGLE);
        format_set_font_color(m_link, LXW_COLOR_BLUE);
    }

    void writeHeader()
    {
        const QStringList names = sheetHeader(m_attributes);
        for (int col = 0; col < names.size(); ++col)
            worksheet_write_string(m_sheet, 0, lxw_col_t(col), cellText(names.at(col)).constData(), m_header);
        worksheet_freeze_panes(m_sheet, 1, 0);

        const lxw_col_t attributesEnd = lxw_col_t(3 + m_attributes.size());
        worksheet_set_column(m_sheet, 0, 0, 6, nullptr);
        worksheet_set_column(m_sheet, 1, 1, 14, nullptr);
        worksheet_set_column(m_sheet, 2, 2, 40, nullptr);
        if (!m_attributes.isEmpty())
            worksheet_set_column(m_sheet, 3, attributesEnd - 1, 14, nullptr);
        worksheet_set_column(m_sheet, attributesEnd, attributesEnd + 1, 9, nullptr);
        worksheet_set_column(m_sheet, attributesEnd + 2, attributesEnd + 3, 36, nullptr);
        // Column widths count characters: a character is 7 pixels, plus 5.
        worksheet_set_column(m_sheet, attributesEnd + 4, attributesEnd + 4,
                             (SheetPictureSide + 2 * PictureMargin - 5) / 7.0 + 1, nullptr);
        worksheet_set_column(m_sheet, attributesEnd + 5, attributesEnd + 5, 24, nullptr);
    }

    void writeRow(lxw_row_t row, const SheetRow &sheetRow)
    {
        const ExportItem &item = sheetRow.item;
        const SheetPicture &picture = sheetRow.picture;
        lxw_col_t col = 0;
        worksheet_write_number(m_sheet, row, col++, double(row), m_cell);
        text(row, col++, item.line.itemNo);
        text(row, col++, item.line.title);
        for (const QString &value : attributeCells(item, m_attributes))
            text(row, col++, value);
        count(row, col++, item.mainCount);
        count(row, col++, item.descCount);
        link(row, col++, item.folderExists ? QUrl::fromLocalFile(item.line.folder) : QUrl(),
             QDir::toNativeSeparators(item.line.folder));
        const QUrl page(item.line.address);
        link(row, col++, page.scheme() == u"http" || page.scheme() == u"https" ? page : QUrl(), item.line.address);
        if (!picture.isNull()) {
            // Points are 3/4 of a pixel.
            worksheet_set_row(m_sheet, row, (picture.size.height() + 2 * PictureMargin) * 0.75, nullptr);
            lxw_image_options options{};
            options.x_offset = PictureMargin;
            options.y_offset = PictureMargin;
            options.description = const_cast<char *>("");
            worksheet_insert_image_buffer_opt(m_sheet, row, col,
                                              reinterpret_cast<const unsigned char *>(picture.bytes.constData()),
                                              size_t(picture.bytes.size()), &options);
        }
        ++col;
        text(row, col++, item.notes.join(QStringLiteral("；")));
    }

private:
    void text(lxw_row_t row, lxw_col_t col, const QString &value)
    {
        if (!value.isEmpty())
            worksheet_write_string(m_sheet, row, col, cellText(value).constData(), m_cell);
    }

    void count(lxw_row_t row, lxw_col_t col, std::optional<int> value)
    {
        if (value)
            worksheet_write_number(m_sheet, row, col, *value, m_cell);
    }

    // A link showing its text; plain text where there is no address, or where
    // Excel would refuse the link (checked here: the library would print a
    // warning for every refused one).
    void link(lxw_row_t row, lxw_col_t col, const QUrl &url, const QString &shown)
    {
        const QByteArray encoded = url.isValid() ? url.toEncoded() : QByteArray();
        if (!encoded.isEmpty() && encoded.size() <= MaxLinkLength && m_links < MaxLinks
            && worksheet_write_url(m_sheet, row, col, encoded.constData(), m_link) == LXW_NO_ERROR) {
            ++m_links;
            worksheet_write_string(m_sheet, row, col, cellText(shown).constData(), m_link);
            return;
        }
        text(row, col, shown);
    }

    lxw_worksheet *m_sheet;
    QStringList m_attributes;
    lxw_format *m_header = nullptr;
    lxw_format *m_cell = nullptr;
    lxw_format *m_link = nullptr;
    int m_links = 0;
};

bool fail(QString *errorText, const QString &reason)
{
    if (errorText)
        *errorText = reason;
    return false;
}

} // namespace

SheetRow readSheetRow(const DownloadedLine &line)
{
    SheetRow row{readExportItem(line), {}};
    row.picture = sheetPicture(row.item.firstMainPicture, SheetPictureSide);
    if (row.picture.isNull() && !row.item.firstMainPicture.isEmpty())
        row.item.notes.append(QFileInfo(row.item.firstMainPicture).fileName() + QStringLiteral("无法读取"));
    return row;
}

bool writeItemSheet(const QList<SheetRow> &rows, const QString &path, QString *errorText)
{
    const QFileInfo target(path);
    if (target.isDir())
        return fail(errorText, path + QStringLiteral("是一个目录"));
    QList<ExportItem> items;
    items.reserve(rows.size());
    for (const SheetRow &row : rows)
        items.append(row.item);
    const QStringList attributes = attributeColumns(items);
    // Checked before anything is written: a sheet that cannot hold every cell is no export.
    if (const qsizetype columns = sheetHeader(attributes).size(); columns > MaxColumns)
        return fail(errorText, QStringLiteral("宝贝属性共%1种,表格需要%2列,超过了一张工作表最多的%3列;请少选一些宝贝分开导出")
                                   .arg(attributes.size()).arg(columns).arg(MaxColumns));
    if (rows.size() + 1 > MaxRows)
        return fail(errorText, QStringLiteral("共%1个宝贝,超过了一张工作表最多的%2行;请少选一些宝贝分开导出")
                                   .arg(rows.size()).arg(MaxRows - 1));
    // Hidden, in the target's folder so that the rename stays on one file system.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                        + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return fail(errorText, QStringLiteral("无法在") + QDir::toNativeSeparators(target.absolutePath())
                                   + QStringLiteral("中写入文件,原因:") + temp.errorString());
    temp.close(); // the library writes the file by its name

    lxw_workbook *book = workbook_new(QFile::encodeName(temp.fileName()).constData());
    if (!book)
        return fail(errorText, libraryError(LXW_ERROR_MEMORY_MALLOC_FAILED));
    SheetWriter sheet(book, attributes);
    sheet.writeHeader();
    for (qsizetype i = 0; i < rows.size(); ++i)
        sheet.writeRow(lxw_row_t(i + 1), rows.at(i));
    if (const lxw_error error = workbook_close(book); error != LXW_NO_ERROR)
        return fail(errorText, libraryError(error));
    // A temporary file is its owner's alone; the export is an ordinary file,
    // or keeps what the file it replaces allowed.
    temp.setPermissions(target.exists() ? target.permissions() : OrdinaryFile);

    // QFile::rename never replaces a file; rename(2) does, in one step.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temp.fileName()).toStdString(),
                            QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
    if (error)
        return fail(errorText, QStringLiteral("无法保存为") + QDir::toNativeSeparators(path)
                                   + QStringLiteral(",原因:") + QString::fromStdString(error.message()));
    temp.setAutoRemove(false);
    return true;
}
