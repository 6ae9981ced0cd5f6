#include "shell/window/lists/export_command.h"

#include "download/save_folder.h"
#include "lists/export/export_items.h"
#include "lists/item_list.h"
#include "platform/desktop/desktop.h"
#include "shell/window/main/program_parts.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

ExportCommand::ExportCommand(ProgramParts &parts, FolderPicker &picker, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_picker(picker)
{
    connect(&m_export, &SpreadsheetExport::progressed, this, &ExportCommand::progressed);
    connect(&m_export, &SpreadsheetExport::finished, this, [this](bool, const QString &message) {
        m_parts.log().AddMesg(message);
        emit ended();
    });
}

QString ExportCommand::suggestedPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("已下载宝贝.xlsx"));
}

QString ExportCommand::dialogTitle(int selected, int exported)
{
    return (selected > 0 ? QStringLiteral("导出选中的%1个宝贝") : QStringLiteral("导出全部%1个宝贝")).arg(exported);
}

void ExportCommand::exportSheet_Click()
{
    if (m_export.isRunning()) {
        m_parts.log().AddMesg(QStringLiteral("正在导出表格,请待本次导出完成后再导出"));
        return;
    }
    const ItemList &downloaded = m_parts.lists().AlreadyDownedList();
    const QList<DownloadedLine> lines = linesToExport(downloaded);
    if (lines.isEmpty()) {
        m_parts.log().AddMesg(QStringLiteral("导出表格失败,原因:已下载列表中没有宝贝"));
        return;
    }
    QPointer<ExportCommand> self(this);
    // Sheets usually go where the last one went, not among the pictures.
    const QString last = m_parts.settings().exportFolder();
    const QString folder = !last.isEmpty() && QFileInfo(last).isDir() ? last : SaveFolder::startFolder(m_parts.settings());
    m_picker.chooseSaveFile(dialogTitle(downloaded.selectedCount(), int(lines.size())), suggestedPath(folder),
                            QStringLiteral("Excel 表格 (*.xlsx)"), [self, lines](const QString &path) {
                                if (self)
                                    self->start(lines, path);
                            });
}

void ExportCommand::start(const QList<DownloadedLine> &lines, const QString &typed)
{
    if (typed.isEmpty()) {
        m_parts.log().AddMesg(QStringLiteral("导出表格已取消"));
        return;
    }
    const QString path = SpreadsheetExport::xlsxPath(typed);
    // The dialog asked about the name it was given, not about this one.
    if (path != typed && QFileInfo::exists(path)) {
        m_parts.log().AddMesg(QStringLiteral("导出表格失败,原因:") + QDir::toNativeSeparators(path)
                              + QStringLiteral("已存在;要替换它,请在导出对话框中选择这个文件"));
        return;
    }
    QString error;
    if (!m_parts.settings().setExportFolder(QFileInfo(path).absolutePath(), &error))
        m_parts.log().AddMesg(QStringLiteral("导出目录未能记住,原因:") + error);
    m_parts.log().AddMesg(QStringLiteral("正在导出表格:%1个宝贝到").arg(lines.size()) + path);
    m_export.start(lines, path);
}
