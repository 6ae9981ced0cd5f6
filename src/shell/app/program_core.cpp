#include "shell/app/program_core.h"

#include "download/listing/listing_report.h"
#include "download/staged_folder.h"
#include "shop/shop_reader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWebEngineView>

ProgramCore::ProgramCore(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_settings(options.programFolder)
    , m_listFile(m_lists, m_log, QDir(options.programFolder).filePath(QStringLiteral("listdata.txt")))
    , m_search(m_lists.AlreadyDownedList(), m_log)
    , m_downloadedAddresses(m_lists.AlreadyDownedList())
    , m_analyser(options.marketplace, m_records, m_shopLinks)
    , m_view(options.intervals.pages.loadMs)
    , m_fetcher(options.fetchLimits)
    , m_download({m_records, m_lists, m_search, m_settings, m_log, m_fetcher, m_probe, &m_hosts})
    , m_lookup(options.marketplace.checkHost)
    , m_net(options.netCheck ? *options.netCheck : m_lookup)
    , m_batch({m_analyser, m_records, m_lists, m_listFile, m_net, m_log, m_downloadedAddresses,
               [this](int n) { return collectorParts(n); }},
              options.intervals)
    , m_walk(m_view, m_analyser, m_shopLinks)
    , m_shop({m_walk, m_turns, m_lists, m_batch, m_log})
    , m_notifier(options.notifier ? *options.notifier : m_desktopNotifier)
    , m_watch({options.programFolder, [this] { return m_settings.saveFolder(); },
               [this](int n) {
                   return std::make_unique<ShopReader>(m_batch.collectorView(n), m_options.marketplace, m_records,
                                                       m_options.intervals.loadGapMs);
               },
               m_turns, m_batch, m_lists, m_listFile, m_log, m_notifier, options.clock})
    // The timer's service runs the runner, which lies beside either program.
    , m_unitTimer(options.unitFolder, options.programFolder,
                  {QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zorvane-picker-batch")),
                   QStringLiteral("--program-folder"), options.programFolder, QStringLiteral("--watch")})
    , m_noDesktop(QStringLiteral("演示模式不使用系统定时器"))
    , m_schedule(m_settings, options.desktopSchedule ? static_cast<DesktopSchedule &>(m_unitTimer) : m_noDesktop, m_log)
{
    // Nobody sits in front of the collector's view to answer a page's alert.
    m_view.setSilent(true);
    m_view.setQueryTimeout(options.intervals.pages.queryMs);
    m_batch.setPace(m_settings.pace());
    m_batch.setCollectors(m_settings.collectors());
    m_batch.setSkipDownloaded(m_settings.skipDownloaded());
    connect(&m_batch, &BatchCycle::itemSaved, this, &ProgramCore::listAfterCollecting);
    connect(&m_listing, &ListingRun::itemFinished, this, [this](const ListingOutcome &outcome) {
        // A cancel of many items is one line: the run's last.
        if (outcome.state != ListingOutcome::State::Stopped)
            m_log.AddMesg(ListingReport::itemText(outcome));
    });
    connect(&m_listing, &ListingRun::finished, this,
            [this](const ListingTally &tally) { m_log.AddMesg(ListingReport::tallyText(tally)); });
}

int ProgramCore::makeListing(const QList<DownloadedLine> &lines)
{
    return m_listing.add(lines, m_settings.listingOptions());
}

void ProgramCore::listAfterCollecting()
{
    const ItemList &downloaded = m_lists.AlreadyDownedList();
    if (downloaded.count() == 0 || !m_settings.listingOptions().afterCollect)
        return;
    makeListing({DownloadedLine::parse(downloaded.at(downloaded.count() - 1))});
}

bool ProgramCore::setPace(BatchCycle::Pace pace, bool store)
{
    m_batch.setPace(pace);
    if (!store)
        return true;
    QString error;
    if (m_settings.setPace(pace, &error))
        return true;
    m_log.AddMesg(QStringLiteral("采集速度设置失败,原因:配置文件无法写入,") + error);
    return false;
}

bool ProgramCore::setCollectors(int count, bool store)
{
    m_batch.setCollectors(count);
    QString error;
    if (!store || m_settings.setCollectors(m_batch.collectors(), &error))
        return true;
    m_log.AddMesg(QStringLiteral("同时采集设置失败,原因:配置文件无法写入,") + error);
    return false;
}

ProgramCore::~ProgramCore() = default;

BatchCycle::CollectorParts ProgramCore::collectorParts(int n)
{
    if (n == 0)
        return {m_view, m_download};
    ExtraCollector extra;
    extra.view = std::make_unique<WebEnginePageDocument>(m_options.intervals.pages.loadMs);
    extra.view->setSilent(true);
    extra.view->setQueryTimeout(m_options.intervals.pages.queryMs);
    // A page never shown gets no scroll events: it lies where the first
    // collector's view lies, behind whatever covers that one.
    QWebEngineView *first = m_view.view();
    QWebEngineView *view = extra.view->view();
    view->setParent(first->parentWidget());
    view->setGeometry(first->geometry());
    view->setObjectName(first->objectName());
    view->setProperty("index", n);
    view->show();
    if (view->parentWidget())
        view->lower();
    extra.fetcher = std::make_unique<HttpFetcher>(m_options.fetchLimits);
    extra.download = std::make_unique<ItemDownload>(ItemDownload::Services{
        m_records, m_lists, m_search, m_settings, m_log, *extra.fetcher, m_probe, &m_hosts});
    m_extraCollectors.push_back(std::move(extra));
    return {*m_extraCollectors.back().view, *m_extraCollectors.back().download};
}

void ProgramCore::loadLists()
{
    m_listFile.LoadLists();
    // Items a crashed run was writing: they are still pending, and are collected again.
    if (m_listFile.isReadOnly())
        return;
    if (const int removed = StagedFolder::removeLeftovers(m_settings.saveFolder()))
        m_log.AddMesg(QStringLiteral("已删除上次未正常结束时留下的%1个未完成的宝贝目录").arg(removed));
}

bool ProgramCore::shutDown()
{
    m_listing.cancel();
    m_batch.requeueInterruptedItem();
    m_batch.halt();
    return m_listFile.SaveLists();
}

std::optional<QString> ProgramCore::rescueLists(const QString &otherFolder)
{
    for (const QString &folder : {QFileInfo(m_listFile.path()).path(), otherFolder}) {
        if (const std::optional<QString> copy = m_listFile.saveDatedCopy(folder)) {
            m_log.AddMesg(QStringLiteral("列表已另存为:") + *copy);
            return copy;
        }
    }
    return std::nullopt;
}
