#include "lists/export/spreadsheet_export.h"

#include <QDir>
#include <QTimer>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

namespace {

using Outcome = SpreadsheetExport::Outcome;

Outcome writeRows(const QList<SheetRow> &rows, const QString &path)
{
    QString error;
    if (!writeItemSheet(rows, path, &error))
        return {false, QStringLiteral("导出表格失败,原因:") + error};
    return {true, QStringLiteral("已导出%1个宝贝到%2").arg(rows.size()).arg(QDir::toNativeSeparators(path))};
}

} // namespace

SpreadsheetExport::SpreadsheetExport(QObject *parent)
    : QObject(parent)
{
    connect(&m_reading, &QFutureWatcher<SheetRow>::progressValueChanged, this,
            [this](int done) { emit progressed(done, m_total); });
    connect(&m_reading, &QFutureWatcher<SheetRow>::finished, this, &SpreadsheetExport::write);
    connect(&m_writing, &QFutureWatcher<Outcome>::finished, this, [this] { end(m_writing.result()); });
}

SpreadsheetExport::~SpreadsheetExport()
{
    // Not waited for: the pool's tasks hold copies of what they use.
    m_reading.cancel();
}

bool SpreadsheetExport::start(const QList<DownloadedLine> &lines, const QString &path)
{
    if (m_running)
        return false;
    m_running = true;
    if (lines.isEmpty()) {
        QTimer::singleShot(0, this, [this] { end({false, QStringLiteral("导出表格失败,原因:没有可导出的宝贝")}); });
        return true;
    }
    m_path = path;
    m_total = int(lines.size());
    // Decoding the pictures is most of the work: every core of the pool takes items.
    m_reading.setFuture(QtConcurrent::mapped(lines, readSheetRow));
    return true;
}

void SpreadsheetExport::write()
{
    m_writing.setFuture(QtConcurrent::run(writeRows, m_reading.future().results(), m_path));
}

void SpreadsheetExport::end(const Outcome &outcome)
{
    m_running = false;
    emit finished(outcome.ok, outcome.message);
}

QString SpreadsheetExport::xlsxPath(const QString &typed)
{
    return typed.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ? typed : typed + QStringLiteral(".xlsx");
}
