#pragma once

#include "recording_desktop.h"
#include "log_text.h"
#include "test_app.h"

#include "collection/batch/batch_cycle.h"
#include "lists/item_list.h"
#include "platform/desktop/desktop.h"
#include "platform/files/text_file.h"
#include "shell/app/lists_lock.h"
#include "shell/app/program_core.h"
#include "shell/browser/browser_area.h"
#include "shell/window/main/main_form.h"

#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <memory>

// The desktop's dialogs, answered as the user would.
struct AnsweringDesktop
{
    AnsweringPicker picker;
    RecordingPrompts prompts;
    RecordingOpener opener;
    RecordingStarter starter;
};

// A window over a core of its own in a temporary program folder, with short
// timer intervals and the reachability check on an address literal.
class WindowTest : public ::testing::Test
{
protected:
    WindowTest() { writeConfig(QString()); }

    void writeConfig(const QString &lines)
    {
        writeLocalTextFile(QDir(folder.path()).filePath(QStringLiteral("config.ini")),
                           QStringLiteral("[config]\r\n") + lines);
    }
    // Builds the window; start-up runs only when asked.
    void open(bool startUp = false)
    {
        ProgramCore::Options options;
        options.programFolder = folder.path();
        options.marketplace.checkHost = QStringLiteral("127.0.0.1");
        // The local marketplace speaks no TLS.
        options.marketplace.homePage = QStringLiteral("http://www.zorvane.com/");
        options.intervals.controllerMs = 100;
        options.intervals.scrollerMs = 40;
        options.intervals.pages.loadMs = 20000;
        options.netCheck = netCheck;
        // Never the user's own systemd units.
        options.unitFolder = QDir(folder.path()).filePath(QStringLiteral("systemd-user"));
        core = std::make_unique<ProgramCore>(options);
        // As the program opens its window: the lists lock first.
        lock = std::make_unique<ListsLock>(folder.path());
        lock->acquire();
        lock->guard(core->listFile(), core->batch());
        form = std::make_unique<MainForm>(*core, MainForm::Desktop{desktop.picker, desktop.prompts, desktop.opener,
                                                                   desktop.starter, downloads()});
        form->show();
        if (startUp)
            form->Form_Load();
    }
    ~WindowTest() override
    {
        form.reset();
        lock.reset();
        core.reset();
    }

    template <typename W = QWidget>
    W *control(const char *name) const
    {
        W *w = form->findChild<W *>(QLatin1String(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void click(const char *name) const { control<QPushButton>(name)->click(); }
    // Selects rows of a list box as the user would.
    void select(const char *list, const QList<int> &rows) const
    {
        auto *view = control<QListView>(list);
        for (int row : rows)
            view->selectionModel()->select(view->model()->index(row, 0), QItemSelectionModel::Select);
    }
    // The browser side: the tab strip, a tab's browser, the address bar.
    QTabBar *strip() const { return control<QTabBar>("TabStrip1"); }
    QWebEngineView *browser(qint16 index) const { return form->browsers().view(index); }
    QWebEngineView *current() const { return form->browsers().currentView(); }
    QComboBox *addressBar() const { return control<QComboBox>("urladress"); }
    QStringList tabKeys() const
    {
        QStringList keys;
        for (int i = 0; i < strip()->count(); ++i)
            keys << strip()->tabData(i).toString();
        return keys;
    }
    // Loads the address in the view and waits until the page is there.
    static bool loadIn(QWebEngineView *view, const QString &address)
    {
        QSignalSpy finished(view, &QWebEngineView::loadFinished);
        view->load(QUrl(address));
        return finished.wait(30000) && finished.last().at(0).toBool();
    }

    // Input reaches a page only once it has drawn: waits for a few frames.
    static bool waitUntilDrawn(QWebEngineView *view)
    {
        auto frames = std::make_shared<int>(0); // answers may come after the wait
        return waitUntil([&] {
            view->page()->runJavaScript(
                QStringLiteral("if (!window.__drawn) { window.__drawn = 1;"
                               " (function t() { ++window.__drawn; requestAnimationFrame(t); })(); }"
                               " window.__drawn"),
                [frames](const QVariant &count) { *frames = count.toInt(); });
            return *frames >= 4;
        });
    }

    ItemList &pending() const { return core->lists().readyDownList(); }
    ItemList &downloaded() const { return core->lists().AlreadyDownedList(); }
    QStringList log() const { return logMessages(core->log()); }
    QString listData() const { return readLocalTextFile(core->listFile().path()).value_or(QString()); }
    // Where files downloaded from a page go: made by the first download.
    QString downloads() const { return QDir(folder.path()).filePath(QStringLiteral("下载")); }

    QTemporaryDir folder;
    AnsweringDesktop desktop;
    NetCheck *netCheck = nullptr; // a check of the test's own, when set before open()
    std::unique_ptr<ProgramCore> core;
    std::unique_ptr<ListsLock> lock;
    std::unique_ptr<MainForm> form;
};
