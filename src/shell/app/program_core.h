#pragma once

#include "collection/batch/batch_cycle.h"
#include "collection/item_record.h"
#include "collection/marketplace.h"
#include "collection/page_analysis.h"
#include "collection/status_log.h"
#include "download/host_connections.h"
#include "download/item_download.h"
#include "lists/downloaded_addresses.h"
#include "lists/downloaded_search.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net/http_fetcher.h"
#include "platform/files/image_reader_probe.h"
#include "platform/desktop/dbus_notifier.h"
#include "platform/desktop/desktop_schedule.h"
#include "platform/net/net_check.h"
#include "platform/desktop/systemd_user_timer.h"
#include "platform/web/webengine_page_document.h"
#include "shell/settings.h"
#include "shell/watch_schedule.h"
#include "shell/window/main/program_parts.h"
#include "shop/offer_list_walk.h"
#include "shop/shop_discovery.h"
#include "shop/walk_turns.h"
#include "shop/watch_check.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Owns the program's state and wires its parts: the models, the collector's
// browser view, the item download, the batch cycle and shop discovery. The
// window and the headless runner are both views of one ProgramCore.
class ProgramCore : public QObject, public ProgramParts
{
    Q_OBJECT
public:
    struct Options
    {
        QString programFolder;
        Marketplace marketplace;
        // The timers, and how long the collectors' pages may take (intervals.pages).
        BatchCycle::Intervals intervals;
        HttpFetcher::Limits fetchLimits;
        // Answers the reachability check in place of a lookup of marketplace.checkHost.
        NetCheck *netCheck = nullptr;
        // Tells what a check of the watched shops found in place of the desktop's notifications.
        Notifier *notifier = nullptr;
        // Where the schedule's systemd user units go; none at all when false
        // (the demo's throw-away folder never touches the user's units).
        QString unitFolder = SystemdUserTimer::defaultUnitFolder();
        bool desktopSchedule = true;
        // The clock the watch's records are dated by; the system's when empty.
        std::function<QDateTime()> clock;
    };

    explicit ProgramCore(const Options &options, QObject *parent = nullptr);
    ~ProgramCore() override;

    const Options &options() const { return m_options; }
    ItemRecordTable &records() { return m_records; }
    ShopLinks &shopLinks() { return m_shopLinks; }

    QString programFolder() const override { return m_options.programFolder; }
    QString homePage() const override { return m_options.marketplace.homePage; }
    StatusLog &log() override { return m_log; }
    Settings &settings() override { return m_settings; }
    ListStore &lists() override { return m_lists; }
    ListFile &listFile() override { return m_listFile; }
    DownloadedSearch &search() override { return m_search; }
    ItemDownload &download() override { return m_download; }
    // Collector 0's view; shop discovery borrows it.
    WebEnginePageDocument &collectorView() override { return m_view; }
    BatchCycle &batch() override { return m_batch; }
    ShopDiscovery &shop() override { return m_shop; }
    WatchCheck &watch() override { return m_watch; }
    Notifier &notifier() override { return m_notifier; }
    WatchSchedule &watchSchedule() override { return m_schedule; }
    NetCheck &netCheck() override { return m_net; }
    ListingRun &listing() override { return m_listing; }
    int makeListing(const QList<DownloadedLine> &lines) override;

    bool setPace(BatchCycle::Pace pace, bool store) override;
    bool setCollectors(int count, bool store) override;
    void loadLists() override;
    bool shutDown() override;
    std::optional<QString> rescueLists(const QString &otherFolder) override;

private:
    // Collector n's view and download; those after the first are made when needed.
    BatchCycle::CollectorParts collectorParts(int n);
    // With 上架图 after each item: the item just saved, the downloaded list's last entry, is queued.
    void listAfterCollecting();

    Options m_options;
    StatusLog m_log;
    Settings m_settings;
    ListStore m_lists;
    ListFile m_listFile;
    DownloadedSearch m_search;
    DownloadedAddresses m_downloadedAddresses;
    ItemRecordTable m_records;
    ShopLinks m_shopLinks;
    PageAnalyser m_analyser;
    WebEnginePageDocument m_view;
    HostConnections m_hosts; // before every download that counts against it
    HttpFetcher m_fetcher;
    ImageReaderProbe m_probe;
    ItemDownload m_download;
    NetCheck m_lookup;
    NetCheck &m_net;
    struct ExtraCollector
    {
        std::unique_ptr<WebEnginePageDocument> view;
        std::unique_ptr<HttpFetcher> fetcher;
        std::unique_ptr<ItemDownload> download;
    };
    std::vector<ExtraCollector> m_extraCollectors;
    BatchCycle m_batch;
    OfferListWalk m_walk; // 整店采集's, in collector 0's view
    WalkTurns m_turns;
    ShopDiscovery m_shop;
    DBusNotifier m_desktopNotifier;
    Notifier &m_notifier;
    WatchCheck m_watch;
    SystemdUserTimer m_unitTimer;
    NoDesktopSchedule m_noDesktop;
    WatchSchedule m_schedule;
    ListingRun m_listing;
};
