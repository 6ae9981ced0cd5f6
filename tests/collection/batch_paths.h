#pragma once

// The batch cycle and its models over a scripted page, without a browser.
#include "log_text.h"
#include "recording_desktop.h"
#include "qt_printers.h"
#include "scripted_page.h"
#include "test_app.h"

#include "collection/batch_cycle.h"
#include "collection/page_analysis.h"
#include "download/item_download.h"
#include "lists/downloaded_addresses.h"
#include "lists/downloaded_commands.h"
#include "lists/downloaded_search.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/http_fetcher.h"
#include "platform/image_reader_probe.h"
#include "platform/net_check.h"
#include "shell/settings.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace batch_paths {

const QString Good = QStringLiteral("http://detail.zorvane.com/offer/1.html");
const QString Other = QStringLiteral("http://detail.zorvane.com/offer/2.html");

// The cycle and its models over a scripted page, collecting into a temporary folder.
class BatchPaths : public ::testing::Test
{
protected:
    BatchPaths()
        : settings(folder.path())
        , listFile(lists, log, QDir(folder.path()).filePath(QStringLiteral("listdata.txt")))
        , search(lists.AlreadyDownedList(), log)
        , analyser(marketplace, records, shopLinks)
        , download({records, lists, listFile, search, settings, log, fetcher, probe})
        , net(QStringLiteral("127.0.0.1"))
        , addresses(lists.AlreadyDownedList())
        , batch({page, analyser, records, lists, listFile, download, net, log, addresses}, quick())
    {
        QDir(folder.path()).mkdir(QStringLiteral("out"));
        settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), QDir(folder.path()).filePath(QStringLiteral("out")));
        page.serve(Good, detailSnapshot(Good, QStringLiteral("好宝贝"), {}, {}));
    }

    static BatchCycle::Intervals quick()
    {
        BatchCycle::Intervals intervals;
        intervals.controllerMs = 10;
        intervals.scrollerMs = 1;
        return intervals;
    }

    // Starts the cycle and waits until a controller tick finds nothing to do.
    void runUntilIdleOrStopped()
    {
        QSignalSpy idle(&batch, &BatchCycle::idle);
        QSignalSpy stopped(&batch, &BatchCycle::stopped);
        batch.StartPickCmd_Click();
        ASSERT_TRUE(waitUntil([&] { return !idle.isEmpty() || !stopped.isEmpty(); }));
    }

    QStringList logOf(const QString &itemNo) const
    {
        QStringList lines;
        for (const QString &line : logMessages(log)) {
            if (line.startsWith(itemNo + QStringLiteral("采集中:")))
                lines << line.mid(itemNo.size());
        }
        return lines;
    }

    QTemporaryDir folder;
    StatusLog log;
    Settings settings;
    ListStore lists;
    ListFile listFile;
    DownloadedSearch search;
    ItemRecordTable records;
    ShopLinks shopLinks;
    Marketplace marketplace;
    PageAnalyser analyser;
    HttpFetcher fetcher;
    ImageReaderProbe probe;
    ItemDownload download;
    NetCheck net;
    DownloadedAddresses addresses;
    ScriptedPage page;
    BatchCycle batch;
};

} // namespace batch_paths
