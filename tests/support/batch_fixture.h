#pragma once

#include "fixture_pages.h"
#include "fixture_server.h"
#include "log_text.h"
#include "test_app.h"

#include "shell/app/program_core.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A detail page on the local marketplace: two main pictures, description
// pictures 800, 300 and 790 pixels wide that arrive only after scrolling.
inline DetailPage servedItem(int id, const QString &title, const QList<QPair<QString, QString>> &attributes,
                             int height = 2500)
{
    FixtureServer &server = sharedServer();
    const QString n = QString::number(id);
    DetailPage item;
    item.title = title;
    item.mainImages = {imageAddress(server, n + S(u"-m1.jpg")), imageAddress(server, n + S(u"-m2.png"))};
    item.attributes = attributes;
    item.descImages = {imageAddress(server, n + S(u"-d800.jpg")), imageAddress(server, n + S(u"-d300.jpg")),
                       imageAddress(server, n + S(u"-d790.jpg"))};
    item.height = height;
    servePictures(server, item.mainImages, 640, 640);
    servePictures(server, {item.descImages[0]}, 800, 60);
    servePictures(server, {item.descImages[1]}, 300, 60);
    servePictures(server, {item.descImages[2]}, 790, 60);
    servePage(server, detailPageAddress(id), detailPageHtml(item));
    return item;
}

// A detail page with extra <head> markup (the page's own scripts).
inline QString servedScriptedItem(int id, const QString &title, const QString &headHtml,
                                  const QList<QPair<QString, QString>> &attributes = {})
{
    DetailPage item = servedItem(id, title, attributes);
    item.headHtml = headHtml;
    servePage(sharedServer(), detailPageAddress(id), detailPageHtml(item));
    return detailPageAddress(id);
}

// A page that never stops growing: 5000 pixels more every 300 ms.
inline QString servedGrowingItem(int id)
{
    return servedScriptedItem(id, QStringLiteral("无限增长"),
                              QStringLiteral("<script>setInterval(function () { var d = document.createElement('div');"
                                             "d.style.height = '5000px'; document.body.appendChild(d); }, 300);</script>"));
}

// Time-outs short enough for a page that never answers to cost seconds only.
inline void quickTimeOuts(ProgramCore::Options &options)
{
    options.intervals.pages.loadMs = 3000;
    options.intervals.pages.queryMs = 1500;
}

// A program core on a folder of its own, with fast timers, collecting into out/.
class BatchTest : public ::testing::Test
{
protected:
    BatchTest() { build({}); }

    // Replaces the core by one whose options `adjust` changed.
    void build(const std::function<void(ProgramCore::Options &)> &adjust)
    {
        core.reset();
        output = QDir(folder.path()).filePath(QStringLiteral("out"));
        QDir().mkpath(output);
        ProgramCore::Options options;
        options.programFolder = folder.path();
        // An address literal: the batch tests must not depend on the resolver set-up.
        options.marketplace.checkHost = QStringLiteral("127.0.0.1");
        options.intervals.controllerMs = 100;
        options.intervals.scrollerMs = 40;
        options.intervals.pages.loadMs = 20000;
        if (adjust)
            adjust(options);
        core = std::make_unique<ProgramCore>(options);
        core->settings().SaveConfigValue(QStringLiteral("PicOutPutPath"), output);
        core->lists().setAddUrlText(QString());
        core->collectorView().view()->resize(1024, 768);
        core->collectorView().view()->show();
    }

    ItemList &pending() { return core->lists().readyDownList(); }
    ItemList &downloaded() { return core->lists().AlreadyDownedList(); }

    // Starts the cycle and waits until a controller tick finds nothing to do.
    void runUntilIdle()
    {
        QSignalSpy idle(&core->batch(), &BatchCycle::idle);
        core->batch().StartPickCmd_Click();
        ASSERT_TRUE(idle.wait(120000));
    }

    QStringList filesIn(const QString &path) const
    {
        return QDir(path).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir folder;
    QString output;
    std::unique_ptr<ProgramCore> core;
};

