#pragma once

#include "collection/batch/batch_cycle.h"
#include "collection/status_log.h"
#include "download/item_download.h"
#include "download/listing/listing_run.h"
#include "lists/downloaded_search.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net/net_check.h"
#include "platform/web/webengine_page_document.h"
#include "shell/settings.h"
#include "shell/watch_schedule.h"
#include "shop/shop_discovery.h"
#include "shop/watch_check.h"

#include <QString>

#include <optional>

// What the window shows and commands of the program: its models, the
// collector and the batch, owned and wired by the program's core, which
// hands them in. The window never makes them itself.
class ProgramParts
{
public:
    virtual ~ProgramParts() = default;

    virtual QString programFolder() const = 0;
    virtual QString homePage() const = 0;
    virtual StatusLog &log() = 0;
    virtual Settings &settings() = 0;
    virtual ListStore &lists() = 0;
    virtual ListFile &listFile() = 0;
    virtual DownloadedSearch &search() = 0;
    virtual ItemDownload &download() = 0;
    virtual WebEnginePageDocument &collectorView() = 0;
    virtual BatchCycle &batch() = 0;
    virtual ShopDiscovery &shop() = 0;
    virtual NetCheck &netCheck() = 0;
    // The check of the watched shops, and the notifications it sends.
    virtual WatchCheck &watch() = 0;
    virtual Notifier &notifier() = 0;
    virtual WatchSchedule &watchSchedule() = 0;
    // 上架图: made on a thread pool, what comes of each item logged.
    virtual ListingRun &listing() = 0;
    // Queues the items' 上架图 with the stored settings; how many were queued
    // (an item under way already is not queued again).
    virtual int makeListing(const QList<DownloadedLine> &lines) = 0;

    // Applies the pace; `store` also keeps it for the next start. False when
    // it could not be stored (the log says why).
    virtual bool setPace(BatchCycle::Pace pace, bool store) = 0;
    // 同时采集, 1 to BatchCycle::MaxCollectors, the same way.
    virtual bool setCollectors(int count, bool store) = 0;
    // Start-up: the lists are loaded.
    virtual void loadLists() = 0;
    // Shutdown: an item under way goes back to the top of the pending list,
    // the batch stops where it stands and the lists are saved. False when
    // they could not be saved (the log says why).
    virtual bool shutDown() = 0;
    // After a failed save: the lists in a dated copy beside the list file, or
    // else in `otherFolder`. The copy's path (logged), or nothing.
    virtual std::optional<QString> rescueLists(const QString &otherFolder) = 0;
};
