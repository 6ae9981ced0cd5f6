#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "download/fetcher_pool.h"
#include "download/picture_prefetch.h"
#include "download/picture_queue.h"
#include "download/staged_folder.h"
#include "platform/net/http_fetcher.h"

#include <optional>

class DownloadedSearch;
class HostConnections;
class HttpFetcher;
class ItemRecordTable;
class ListStore;
class PictureProbe;
class SaveFolderSetting;
class StatusLog;
struct FetchResult;

// Saves one collected item: its folder under the output folder, the main and
// description pictures, the info file, and its line in the downloaded list
// (writing the list file is the caller's business). Runs asynchronously;
// `finished`, `failed` or `nothingFetched` ends every call. When the save
// folder cannot take the item (no folder set, none can be made, the disk is
// full), or the page named pictures and not one of them could be fetched,
// nothing of it is kept and the signal says why: what to do with the item is
// the caller's business.
class ItemDownload : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        ItemRecordTable &records;
        ListStore &lists;
        DownloadedSearch &search;
        const SaveFolderSetting &saveFolder;
        StatusLog &log;
        HttpFetcher &fetcher;
        const PictureProbe &probe;
        // Shared with the other downloads: one limit of connections per host.
        HostConnections *hosts = nullptr;
    };

    // Description pictures narrower than this are thrown away.
    static constexpr int MinDescWidth = 450;
    static constexpr int MaxConnections = 4;

    explicit ItemDownload(const Services &services, QObject *parent = nullptr);
    ~ItemDownload() override;

    // mayTakeOver: the item was under way when a run ended without saving its
    // lists; a whole copy of it that no list names is taken over.
    void DownloadItemImages(int slot, bool mayTakeOver = false);
    // Shutdown: transfers are dropped and nothing more is signalled.
    void halt();
    // The folder name an item of this title is saved under (before a number
    // is added to tell it from a folder already there).
    static QString folderNameOf(const QString &pickTitle);
    bool isRunning() const { return m_running; }

    // Pictures fetched at once, 1 to MaxConnections. Names, numbers and the
    // log are the same whatever the number.
    void setConnections(int connections);
    int connections() const { return m_pool.size(); }

    // With more than one connection: pictures of the item about to be saved
    // are fetched ahead over the idle connections, and its download takes
    // them from there. Names, numbers, checks and the log stay as they are.
    void prefetch(const QStringList &addresses);
    // The item ended without its download: what was fetched ahead goes.
    void dropPrefetched();

signals:
    // Saved and listed as downloaded.
    void finished(int slot);
    // Not saved, because the save folder cannot take it: the reason, in
    // Chinese. The slot's lists are emptied.
    void failed(int slot, const QString &reason);
    // Not saved, because the page named pictures and none could be fetched
    // (the picture host refuses them, say): the reason, in Chinese. noAnswer:
    // no picture got any answer at all (the network may be gone).
    void nothingFetched(int slot, const QString &reason, bool noAnswer);
    // Pictures of the item fetched so far (tried, whatever came of it).
    void picturesProgressed(int done, int total);

private:
    void startMain();
    void startDesc();
    void startList(const QList<PictureQueue::Picture> &pictures);
    // The one place the item moves on: pictures settle in page order, the
    // next are started, and a list done leads to the next list or the end.
    void advance();
    // True when a picture fetched ahead was taken and is there to settle.
    bool startPictures();
    // Whatever ended (a fetch ahead, a host's connection): the download or
    // the fetching ahead goes on.
    void resume();
    void pumpPrefetch();
    void arrive(int picture, const FetchResult &result);
    bool settle(const PictureQueue::Picture &picture);
    bool settleMain(const PictureQueue::Picture &picture);
    bool settleDesc(const PictureQueue::Picture &picture);
    void finish();
    // Nothing of the item is kept.
    void dropItem();
    void fail(const QString &reason);
    void noteFailure(const FetchResult &result);
    void logItem(const QString &text);
    // A folder under the item's wanted name is a whole copy of this item that
    // no downloaded line names: a run was killed before its lists were saved.
    bool isOrphanCopy(const QString &folder, const QString &itemNo, const QString &address) const;

    Services m_s;
    FetcherPool m_pool; // the services' own fetcher first
    PicturePrefetch m_prefetch;
    bool m_running = false;
    bool m_halted = false;
    bool m_inDesc = false;
    int m_slot = 0;
    QString m_title;        // F: the cleaned title, without an appended number
    StagedFolder m_folder;
    QString m_itemFolder;   // D: the staging folder until the item is whole
    QString m_mainFolder;   // M
    QString m_descFolder;   // G
    PictureQueue m_queue;   // the list being fetched
    int m_list = 0;         // counts lists, so that a late answer meant for an earlier one is ignored
    int m_done = 0;         // pictures tried, both lists
    int m_total = 0;
    int m_kept = 0;         // k: description pictures kept so far
    int m_failedMain = 0;
    int m_failedDesc = 0;
    int m_savedMain = 0;
    QString m_firstFailure; // why the first picture that failed did
    bool m_anyAnswer = false; // some picture host answered at all
};
