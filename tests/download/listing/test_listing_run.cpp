// 上架图 made on the run's thread pool: replacing a folder whole, a cancel in
// the middle of an item, a full disk, a read-only item folder, what a killed
// run left, an item queued twice.
#include "file_faults.h"
#include "listing_inputs.h"
#include "qt_printers.h"
#include "test_app.h"
#include "test_files.h"
#include "without_file_privileges.h"

#include "download/listing/listing_folder.h"
#include "download/listing/listing_run.h"
#include "download/listing/vips_pictures.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ListingInputs;

namespace {

QImage noise(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(36);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    return image;
}

// Every file under the folder with its bytes, hidden ones included.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), QCryptographicHash::hash(readBytes(path), QCryptographicHash::Sha256));
    }
    return files;
}

QStringList hiddenFolders(const QString &item)
{
    return QDir(item).entryList({QStringLiteral(".*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

// libvips, but the n-th slice of any description waits until the test lets it go.
struct Gate
{
    explicit Gate(int n) : holdAt(n) {}
    int holdAt;
    std::atomic_int seen = 0;
    QSemaphore reached;
    QSemaphore released;
};

class HeldPictures : public PictureMaker
{
public:
    explicit HeldPictures(Gate &gate) : m_gate(gate) {}
    std::optional<ListingFile> mainPicture(const QString &path, const ListingOptions &options, QString *error) override
    {
        return m_vips.mainPicture(path, options, error);
    }
    bool descriptionSlices(const QString &path, const ListingOptions &options,
                           const std::function<bool(const ListingFile &)> &take, QString *error) override
    {
        return m_vips.descriptionSlices(path, options, [&](const ListingFile &slice) {
            if (++m_gate.seen == m_gate.holdAt) {
                m_gate.reached.release();
                m_gate.released.acquire();
            }
            return take(slice);
        }, error);
    }

private:
    Gate &m_gate;
    VipsPictures m_vips;
};

class ListingRunTest : public ::testing::Test
{
protected:
    ListingRunTest()
    {
        item = root.filePath(QStringLiteral("连衣裙"));
        QDir().mkpath(item + QStringLiteral("/主图"));
        QDir().mkpath(item + QStringLiteral("/描述图"));
        write(item + QStringLiteral("/主图/主图1.jpg"), filled({800, 800}, QColor(200, 30, 30)), "jpeg");
        write(item + QStringLiteral("/主图/主图2.png"), noise({900, 900}), "png");
        write(item + QStringLiteral("/描述图/描述图1.jpg"), filled({790, 6000}, QColor(250, 250, 250)), "jpeg");
        line = {QStringLiteral("A-1"), QStringLiteral("连衣裙"), item, QStringLiteral("https://detail.zorvane.com/offer/1.html")};
    }

    // An earlier run's folder, with a file today's run would not make.
    void olderListing()
    {
        QDir().mkpath(listing());
        writeBytes(listing() + QStringLiteral("/描述图9.jpg"), "older");
    }

    QString listing() const { return QDir(item).filePath(ListingFolder::name()); }

    // Runs to the end: the outcome of the one item and the tally.
    std::pair<ListingOutcome, ListingTally> runOnce(ListingRun &run)
    {
        QSignalSpy items(&run, &ListingRun::itemFinished);
        QSignalSpy finished(&run, &ListingRun::finished);
        EXPECT_EQ(run.add({line}, {}), 1);
        EXPECT_TRUE(waitUntil([&] { return !finished.isEmpty(); }, 120000));
        if (items.size() != 1 || finished.size() != 1)
            return {};
        return {items.first().first().value<ListingOutcome>(), finished.first().first().value<ListingTally>()};
    }

    QTemporaryDir root;
    QString item;
    DownloadedLine line;
};

} // namespace

TEST_F(ListingRunTest, DoingItAgainReplacesTheFolderWhole)
{
    olderListing();
    ListingRun run;
    const auto [outcome, tally] = runOnce(run);
    ASSERT_EQ(outcome.state, ListingOutcome::State::Made) << outcome.error.toStdString();
    EXPECT_EQ(tally.made, 1);
    QStringList files = QDir(listing()).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    EXPECT_EQ(files, (QStringList{QStringLiteral("主图1.jpg"), QStringLiteral("主图2.jpg"), QStringLiteral("描述图1.jpg"),
                                  QStringLiteral("描述图2.jpg"), QStringLiteral("描述图3.jpg"), QStringLiteral("描述图4.jpg")}));
    EXPECT_EQ(hiddenFolders(item), QStringList());
}

TEST_F(ListingRunTest, ACancelInTheMiddleOfAnItemLeavesNoHalfFolderAndStopsTheQueue)
{
    // Two more items wait behind the first on the run's one thread.
    QList<DownloadedLine> queued;
    for (const QString &name : {QStringLiteral("衬衫"), QStringLiteral("女包")}) {
        const QString other = root.filePath(name);
        QDir().mkpath(other + QStringLiteral("/主图"));
        write(other + QStringLiteral("/主图/主图1.jpg"), filled({800, 800}, QColor(30, 40, 200)), "jpeg");
        queued.append({name, name, other, {}});
    }
    for (const bool older : {false, true}) {
        SCOPED_TRACE(older ? "an older 上架图" : "none before");
        QDir(listing()).removeRecursively();
        if (older)
            olderListing();
        const QMap<QString, QByteArray> before = contents(item);
        Gate gate(2);
        ListingRun run([&gate] { return std::make_unique<HeldPictures>(gate); }, 1);
        QSignalSpy finished(&run, &ListingRun::finished);
        QSignalSpy items(&run, &ListingRun::itemFinished);
        run.add(QList<DownloadedLine>{line} + queued, {});
        // Both main pictures and the first slice are in the hidden folder by now.
        ASSERT_TRUE(waitUntil([&] { return gate.reached.available() > 0; }, 120000));
        EXPECT_EQ(hiddenFolders(item).size(), 1);
        EXPECT_TRUE(run.isRunning());
        run.cancel();
        gate.released.release();
        ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }, 120000));
        ASSERT_EQ(items.size(), 3);
        for (const QList<QVariant> &outcome : std::as_const(items))
            EXPECT_EQ(outcome.first().value<ListingOutcome>().state, ListingOutcome::State::Stopped);
        EXPECT_EQ(finished.first().first().value<ListingTally>().stopped, 3);
        EXPECT_EQ(contents(item), before) << "nothing added, nothing changed";
        for (const DownloadedLine &other : std::as_const(queued))
            EXPECT_FALSE(QFileInfo::exists(QDir(other.folder).filePath(ListingFolder::name()))) << "never begun";
        EXPECT_FALSE(run.isRunning());
    }
}

TEST_F(ListingRunTest, AFullDiskOrAReadOnlyFolderSaysSoAndLeavesEverythingAsItWas)
{
    struct Case
    {
        const char *name;
        bool readOnly;
        QString error;
    };
    for (const Case &c : {Case{"full disk", false, QStringLiteral("无法写入主图2.jpg,原因:文件超过了系统允许的大小")},
                          Case{"read-only folder", true,
                               QStringLiteral("无法在宝贝目录中建立上架图,原因:没有写入权限(宝贝目录只读)")}}) {
        SCOPED_TRACE(c.name);
        QDir(listing()).removeRecursively();
        olderListing();
        const QMap<QString, QByteArray> before = contents(item);
        std::pair<ListingOutcome, ListingTally> result;
        if (c.readOnly) {
            ASSERT_EQ(::chmod(QFile::encodeName(item).constData(), 0555), 0);
            const WithoutFilePrivileges asAUser; // root would write there regardless
            ListingRun run;
            result = runOnce(run);
            ::chmod(QFile::encodeName(item).constData(), 0755);
        } else {
            // 主图1 (one colour) fits; 主图2 (noise) does not.
            const FileSizeLimit full(60 * 1024);
            ListingRun run;
            result = runOnce(run);
        }
        const auto &[outcome, tally] = result;
        EXPECT_EQ(outcome.state, ListingOutcome::State::Failed);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(tally.failed, 1);
        EXPECT_EQ(contents(item), before) << "no half folder; the older one and the item's pictures as they were";
    }
}

TEST_F(ListingRunTest, WhatAKilledRunLeftIsRemovedAndAnItemQueuedTwiceIsMadeOnce)
{
    // A killed run's hidden folder, with a slice in it.
    QDir().mkpath(item + QStringLiteral("/.上架图-k1ll3d"));
    writeBytes(item + QStringLiteral("/.上架图-k1ll3d/描述图1.jpg"), "half");
    ListingRun run;
    QSignalSpy progressed(&run, &ListingRun::progressed);
    QSignalSpy finished(&run, &ListingRun::finished);
    EXPECT_EQ(run.add({line, line}, {}), 1);
    EXPECT_EQ(run.add({line}, {}), 0) << "under way already";
    ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }, 120000));
    EXPECT_EQ(finished.first().first().value<ListingTally>().made, 1);
    EXPECT_EQ(progressed.first(), (QList<QVariant>{0, 1}));
    EXPECT_EQ(progressed.last(), (QList<QVariant>{1, 1}));
    EXPECT_EQ(hiddenFolders(item), QStringList());
    EXPECT_TRUE(QFileInfo::exists(listing() + QStringLiteral("/描述图1.jpg")));
    // Once finished, the item may be queued again.
    EXPECT_EQ(run.add({line}, {}), 1);
    ASSERT_TRUE(waitUntil([&] { return finished.size() == 2; }, 120000));
}
