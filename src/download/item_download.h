#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class DownloadedSearch;
class HttpFetcher;
class ItemRecordTable;
class ListFile;
class ListStore;
class PictureProbe;
class Settings;
class StatusLog;
struct FetchResult;

// Saves one collected item: its folder under the output folder, the main and
// description pictures one after another, the info file, and its line in the
// downloaded list. Runs asynchronously; `finished` ends every call.
class ItemDownload : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        ItemRecordTable &records;
        ListStore &lists;
        ListFile &listFile;
        DownloadedSearch &search;
        Settings &settings;
        StatusLog &log;
        HttpFetcher &fetcher;
        const PictureProbe &probe;
    };

    // Description pictures narrower than this are thrown away.
    static constexpr int MinDescWidth = 450;

    explicit ItemDownload(const Services &services, QObject *parent = nullptr);

    void DownloadItemImages(int slot);
    bool isRunning() const { return m_running; }

signals:
    void finished(int slot);
    // The item could not get a folder and went back to the pending list;
    // collecting on would only fail on it again.
    void pauseRequested();
    // Pictures of the item fetched so far (kept or not) out of all it names.
    void picturesProgress(int done, int total);
    // The item reached the downloaded list.
    void itemSaved(int slot);

private:
    void fetchNextMain();
    void fetchNextDesc();
    void onDescFetched(const FetchResult &result, const QString &target);
    void finish();
    void giveBack(const QString &reason);
    void logItem(const QString &text);

    Services m_s;
    bool m_running = false;
    int m_slot = 0;
    QString m_title;        // F: the cleaned title, without an appended number
    QString m_itemFolder;   // D
    QString m_mainFolder;   // M
    QString m_descFolder;   // G
    QStringList m_main;
    QStringList m_desc;
    int m_next = 0;         // index into the list being fetched
    int m_kept = 0;         // k: description pictures kept so far
    int m_failedMain = 0;
    int m_failedDesc = 0;
};

// E: the address's last four characters, with any folder separator dropped so
// that the file stays inside its folder.
QString pictureExtension(const QString &address);
