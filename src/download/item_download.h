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
// downloaded list. Runs asynchronously; `finished` or `failed` ends every call.
// When the save folder cannot take the item (no folder set, none can be made,
// the disk is full) nothing of it is kept and `failed` says why: what to do
// with the item is the caller's business.
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
    // Saved and listed as downloaded.
    void finished(int slot);
    // Not saved: the reason, in Chinese. The slot's lists are emptied; its
    // busy flag is left to the caller.
    void failed(int slot, const QString &reason);

private:
    void fetchNextMain();
    void fetchNextDesc();
    void onMainFetched(const FetchResult &result, const QString &target);
    void onDescFetched(const FetchResult &result, const QString &target);
    void finish();
    void fail(const QString &reason);
    void failOnFile(const FetchResult &result);
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

// A body that is plainly no picture: declared as text, or starting as markup
// (an error page sent with status 200).
bool isPlainlyNoPicture(const QByteArray &contentType, const QByteArray &head);
