#pragma once

#include "list_audit.h"
#include "log_text.h"
#include "scripted_net_check.h"
#include "scripted_page.h"
#include "test_app.h"

#include "collection/batch/batch_cycle.h"
#include "collection/page_analysis.h"
#include "download/host_connections.h"
#include "download/item_download.h"
#include "lists/downloaded_addresses.h"
#include "lists/downloaded_search.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/net/http_fetcher.h"
#include "platform/files/image_reader_probe.h"
#include "platform/net/local_web_server.h"
#include "platform/net/net_check.h"
#include "shell/settings.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The batch with up to four collectors, each on a scripted page of its own
// whose answers the test may hold and release, so that the test chooses the
// order in which pages answer. Real lists, files and downloads (pictures from
// a local server); every save of listdata.txt is audited.
class ScriptedBatch : public ::testing::Test
{
public:
    static constexpr int Pages = BatchCycle::MaxCollectors;

    ScriptedBatch()
        : settings(folder.path())
        , listFile(lists, log, QDir(folder.path()).filePath(QStringLiteral("listdata.txt")))
        , search(lists.AlreadyDownedList(), log)
        , analyser(marketplace, records, shopLinks)
        , addresses(lists.AlreadyDownedList())
        , audit(listFile, log)
    {
        output = QDir(folder.path()).filePath(QStringLiteral("out"));
        QDir().mkpath(output);
        settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), output);
        lists.setAddUrlText(QString());
        for (int n = 0; n < Pages; ++n)
            pages.push_back(std::make_unique<ScriptedPage>());
        rebuild(quick());
    }

    static BatchCycle::Intervals quick()
    {
        BatchCycle::Intervals intervals;
        intervals.controllerMs = 10;
        intervals.scrollerMs = 1;
        intervals.loadGapMs = 0;
        intervals.folderWaitMs = 60000; // tests of that wait set their own
        return intervals;
    }

    // A batch and downloads as a program starting afresh has them; the pages stay.
    void rebuild(const BatchCycle::Intervals &intervals, int collectors = 1)
    {
        batch.reset();
        downloads.clear();
        fetchers.clear();
        for (int n = 0; n < Pages; ++n) {
            fetchers.push_back(std::make_unique<HttpFetcher>(HttpFetcher::Limits{5000, 8 * 1024 * 1024, 5}));
            downloads.push_back(std::make_unique<ItemDownload>(
                ItemDownload::Services{records, lists, search, settings, log, *fetchers.back(), probe, &hosts}));
        }
        batch = std::make_unique<BatchCycle>(
            BatchCycle::Services{analyser, records, lists, listFile, net, log, addresses,
                                 [this](int n) { return BatchCycle::CollectorParts{*pages.at(n), *downloads.at(n)}; },
                                 [this] { return clockMs; }},
            intervals);
        batch->setCollectors(collectors);
    }

    static QString item(int id) { return QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(id); }
    static QString shop() { return QStringLiteral("https://shop.zorvane.com/"); }
    static QString check() { return QStringLiteral("http://login.zorvane.com/verify.html"); }

    // What a navigation to the address gives, on every collector's page.
    void serve(const QString &address, const PageSnapshot &page, ScriptedPage::Load load = ScriptedPage::Load::Page,
               int answers = -1)
    {
        for (auto &p : pages)
            p->serve(address, page, load, answers);
    }
    void serveGood(int id, const QString &title = QStringLiteral("宝贝"), ScriptedPage::Load load = ScriptedPage::Load::Page,
                   const QList<QPair<QString, QString>> &attributes = {})
    {
        serve(item(id), detailSnapshot(item(id), title, {}, {}, attributes), load);
    }
    // The reader of the item page is shown another page: the shop (taken off sale) or a wall.
    void serveMoved(const QString &address, const QString &to)
    {
        PageSnapshot elsewhere = detailSnapshot(to, QStringLiteral("别处"), {}, {});
        elsewhere.blocks.clear();
        serve(address, elsewhere);
    }
    // Answers a held navigation once some page holds it.
    void release(const QString &address)
    {
        ASSERT_TRUE(waitUntil([&] { return std::any_of(pages.cbegin(), pages.cend(), [&](const auto &p) { return p->holds(address); }); }))
            << address.toStdString() << " was never asked for";
        for (auto &p : pages)
            p->release(address);
    }
    int requests(const QString &address) const
    {
        int n = 0;
        for (const auto &p : pages)
            n += int(p->requested.count(address));
        return n;
    }

    void queue(const QString &itemNo, const QString &address)
    {
        lists.readyDownList().append(itemNo + QLatin1Char('|') + address);
        audit.queued(itemNo, address);
    }
    void downloadedBefore(const QString &line)
    {
        lists.AlreadyDownedList().append(line);
        audit.downloadedBefore(lists.AlreadyDownedList().entries());
    }

    // Starts the batch; the returned spies say whether it went idle, stopped or met a wall.
    struct Run
    {
        std::unique_ptr<QSignalSpy> idle, stopped, walls;
        bool over() const { return !idle->isEmpty() || !stopped->isEmpty(); }
    };
    Run start()
    {
        Run run{std::make_unique<QSignalSpy>(batch.get(), &BatchCycle::idle),
                std::make_unique<QSignalSpy>(batch.get(), &BatchCycle::stopped),
                std::make_unique<QSignalSpy>(batch.get(), &BatchCycle::verificationWall)};
        // At every tick, what listdata.txt would list as under way is an item taken, never a page checked.
        QObject::connect(batch->findChild<QTimer *>(QStringLiteral("PickControlTimer")), &QTimer::timeout, batch.get(), [this] {
            for (const QString &line : batch->underWayLines()) {
                if (PendingLine::parse(line).address.isEmpty())
                    underWayFaults << line;
            }
        });
        batch->StartPickCmd_Click();
        return run;
    }
    // Runs until idle or paused; the number of walls met.
    int runToEnd()
    {
        Run run = start();
        EXPECT_TRUE(waitUntil([&] { return run.over(); }, 60000));
        return int(run.walls->size());
    }
    bool waitFor(const std::function<bool()> &condition) { return waitUntil(condition, 30000); }

    // Item numbers, in order, of the lines back in the address box and left pending.
    QStringList boxNumbers() const
    {
        QStringList numbers;
        for (const QString &line : lists.AddUrlText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
            numbers << line.section(QLatin1Char('|'), 1);
        return numbers;
    }
    QStringList pendingNumbers() const
    {
        QStringList numbers;
        for (const QString &line : lists.readyDownList().entries())
            numbers << PendingLine::parse(line).itemNo;
        return numbers;
    }
    QStringList downloadedNumbers() const
    {
        QStringList numbers;
        for (const QString &line : lists.AlreadyDownedList().entries())
            numbers << DownloadedLine::parse(line).itemNo;
        return numbers;
    }
    QStringList logOf(const QString &itemNo) const
    {
        return itemLogLines(log, itemNo);
    }
    int logged(const QString &text) const { return int(logMessages(log).filter(text).size()); }
    void expectAuditClean() const
    {
        EXPECT_GT(audit.saves(), 0);
        EXPECT_TRUE(audit.faults().isEmpty()) << audit.faults().mid(0, 5).join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(underWayFaults.isEmpty()) << underWayFaults.mid(0, 5).join(QLatin1Char('\n')).toStdString();
    }

    QTemporaryDir folder;
    QString output;
    StatusLog log;
    Settings settings;
    ListStore lists;
    ListFile listFile;
    DownloadedSearch search;
    ItemRecordTable records;
    ShopLinks shopLinks;
    Marketplace marketplace;
    PageAnalyser analyser;
    ImageReaderProbe probe;
    HostConnections hosts;
    ScriptedNetCheck net;
    qint64 clockMs = 0; // the batch's clock: only the test moves it
    DownloadedAddresses addresses;
    ListAudit audit;
    QStringList underWayFaults;
    std::vector<std::unique_ptr<ScriptedPage>> pages;
    std::vector<std::unique_ptr<HttpFetcher>> fetchers;
    std::vector<std::unique_ptr<ItemDownload>> downloads;
    std::unique_ptr<BatchCycle> batch;
};
