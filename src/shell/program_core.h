#pragma once

#include "collection/batch_cycle.h"
#include "collection/item_record.h"
#include "collection/marketplace.h"
#include "collection/page_analysis.h"
#include "collection/status_log.h"
#include "download/item_download.h"
#include "lists/downloaded_search.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/http_fetcher.h"
#include "platform/image_reader_probe.h"
#include "platform/net_check.h"
#include "platform/webengine_page_document.h"
#include "shell/settings.h"
#include "shop/shop_discovery.h"

#include <QObject>
#include <QString>

#include <optional>

// Owns the program's state and wires its parts: the models, the collector's
// browser view, the item download, the batch cycle and shop discovery. The
// window and the headless runner are both views of one ProgramCore.
class ProgramCore : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString programFolder;
        Marketplace marketplace;
        BatchCycle::Intervals intervals;
        int pageLoadTimeoutMs = 60000;
        // A page that does not answer a query for this long is taken for hung.
        int pageQueryTimeoutMs = 20000;
        // The same two at the fast pace, where a page that has sent nothing
        // at all by fastFirstAnswerMs counts as not loaded.
        int fastFirstAnswerMs = 15000;
        int fastQueryTimeoutMs = 5000;
        HttpFetcher::Limits fetchLimits;
        // Answers the reachability check in place of a lookup of marketplace.checkHost.
        NetCheck *netCheck = nullptr;
    };

    explicit ProgramCore(const Options &options, QObject *parent = nullptr);
    ~ProgramCore() override;

    QString programFolder() const { return m_options.programFolder; }
    const Options &options() const { return m_options; }
    ItemDownload &download() { return m_download; }
    StatusLog &log() { return m_log; }
    Settings &settings() { return m_settings; }
    ListStore &lists() { return m_lists; }
    ListFile &listFile() { return m_listFile; }
    DownloadedSearch &search() { return m_search; }
    ItemRecordTable &records() { return m_records; }
    ShopLinks &shopLinks() { return m_shopLinks; }
    WebEnginePageDocument &collectorView() { return m_view; }
    BatchCycle &batch() { return m_batch; }
    ShopDiscovery &shop() { return m_shop; }
    NetCheck &netCheck() { return m_net; }

    // The collection pace, kept in config.ini under "PickPace" ("标准" or "快速").
    BatchCycle::Pace storedPace() const;
    // Applies the pace; `store` also keeps it for the next start. False when
    // it could not be stored (the log says why).
    bool setPace(BatchCycle::Pace pace, bool store);

    // The list-keeping steps of start-up and shutdown: the lists are loaded;
    // at the end an item under way goes back to the top of the pending list,
    // the batch stops where it stands and the lists are saved.
    void loadLists();
    // False when the lists could not be saved (the log says why).
    bool shutDown();
    // After a failed save: the lists in a dated copy beside the list file, or
    // else in `otherFolder`. The copy's path (logged), or nothing.
    std::optional<QString> rescueLists(const QString &otherFolder);

private:
    Options m_options;
    StatusLog m_log;
    Settings m_settings;
    ListStore m_lists;
    ListFile m_listFile;
    DownloadedSearch m_search;
    ItemRecordTable m_records;
    ShopLinks m_shopLinks;
    PageAnalyser m_analyser;
    WebEnginePageDocument m_view;
    HttpFetcher m_fetcher;
    ImageReaderProbe m_probe;
    ItemDownload m_download;
    NetCheck m_lookup;
    NetCheck &m_net;
    BatchCycle m_batch;
    ShopDiscovery m_shop;
};
