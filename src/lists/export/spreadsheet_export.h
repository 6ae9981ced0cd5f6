#pragma once

#include "lists/item_lines.h"
#include "lists/export/item_sheet.h"

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QString>

// Exports downloaded-list entries to an .xlsx file off this object's thread:
// the item folders are read and their pictures decoded on Qt's thread pool,
// then the file is written there; progress and the outcome come back as
// signals. One export at a time.
class SpreadsheetExport : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        bool ok = false;
        QString message;
    };

    explicit SpreadsheetExport(QObject *parent = nullptr);
    // Items not read yet are dropped and no file is written; a file already
    // being written is completed.
    ~SpreadsheetExport() override;

    // False, and nothing starts, while an export runs.
    bool start(const QList<DownloadedLine> &lines, const QString &path);
    bool isRunning() const { return m_running; }
    // The path as typed, with ".xlsx" added when it has not that ending.
    static QString xlsxPath(const QString &typed);

signals:
    // Items read so far; done equals total while the file itself is written.
    void progressed(int done, int total);
    // Ends every started export; the message, in Chinese, says what was
    // written or why nothing was.
    void finished(bool ok, const QString &message);

private:
    void write();
    void end(const Outcome &outcome);

    QFutureWatcher<SheetRow> m_reading;
    QFutureWatcher<Outcome> m_writing;
    QString m_path;
    int m_total = 0;
    bool m_running = false;
};
