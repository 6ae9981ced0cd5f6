#pragma once

#include "lists/export/spreadsheet_export.h"

#include <QObject>

class FolderPicker;
class ProgramParts;

// "文件" → "导出表格…": the selected entries of the downloaded list (all of
// them when none is selected) into an .xlsx file the user names, written
// off the GUI thread; the log says what came of it.
class ExportCommand : public QObject
{
    Q_OBJECT
public:
    ExportCommand(ProgramParts &parts, FolderPicker &picker, QObject *parent = nullptr);

    void exportSheet_Click();
    bool isRunning() const { return m_export.isRunning(); }

    // The file the save dialog offers first, in the folder given: where the
    // last export went, else the save folder (else home).
    static QString suggestedPath(const QString &folder);
    // The save dialog's title says which entries go: the selected ones, or all.
    static QString dialogTitle(int selected, int exported);

signals:
    // Items read so far; done equals total while the file is written.
    void progressed(int done, int total);
    void ended();

private:
    void start(const QList<DownloadedLine> &lines, const QString &typed);

    ProgramParts &m_parts;
    FolderPicker &m_picker;
    SpreadsheetExport m_export;
};
