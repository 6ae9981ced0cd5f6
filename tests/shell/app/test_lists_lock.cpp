#include "collection/status_log.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "qt_printers.h"
#include "shell/app/lists_lock.h"
#include "test_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Another copy of the program holding (or failing to get) the lists lock.
class OtherCopy
{
public:
    explicit OtherCopy(const QString &programFolder)
    {
        m_process.start(QStringLiteral(ZORVANE_LOCK_HOLDER), {programFolder});
    }
    ~OtherCopy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(30000);
        }
    }

    // What it got: "owner", "held" or "unavailable".
    QString state()
    {
        QSignalSpy ready(&m_process, &QProcess::readyReadStandardOutput);
        while (!m_process.canReadLine() && ready.wait(30000)) {
        }
        return QString::fromLatin1(m_process.readLine()).trimmed();
    }
    // Ends normally.
    void quit() { endWith([this] { m_process.closeWriteChannel(); }); }
    // Ends as a crash would, leaving its lock file behind.
    void crash() { endWith([this] { m_process.kill(); }); }

private:
    template <typename End>
    void endWith(End end)
    {
        QSignalSpy finished(&m_process, &QProcess::finished);
        end();
        ASSERT_TRUE(finished.wait(30000));
    }

    QProcess m_process;
};

} // namespace

TEST(ListsLock, OneOwnerPerProgramFolder)
{
    QTemporaryDir folder;
    auto first = std::make_unique<ListsLock>(folder.path());
    EXPECT_EQ(first->acquire(), ListsLock::State::Owner);
    ListsLock second(folder.path());
    EXPECT_EQ(second.acquire(), ListsLock::State::HeldElsewhere);
    EXPECT_FALSE(second.mayWriteLists());

    QTemporaryDir otherFolder;
    EXPECT_EQ(ListsLock(otherFolder.path()).acquire(), ListsLock::State::Owner);

    first.reset();
    ListsLock third(folder.path());
    EXPECT_EQ(third.acquire(), ListsLock::State::Owner);
}

TEST(ListsLock, ACopyStartedLaterGetsTheListsReadOnly)
{
    QTemporaryDir folder;
    ListsLock mine(folder.path());
    ASSERT_EQ(mine.acquire(), ListsLock::State::Owner);
    OtherCopy later(folder.path());
    EXPECT_EQ(later.state(), QStringLiteral("held"));
}

TEST(ListsLock, TheOwnersLockLastsAsLongAsTheOwnerRuns)
{
    QTemporaryDir folder;
    OtherCopy owner(folder.path());
    ASSERT_EQ(owner.state(), QStringLiteral("owner"));
    // Held for an hour: age alone does not make a lock stale.
    QFile lockFile(folder.filePath(QStringLiteral("listdata.txt.lock")));
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lockFile.close();

    ListsLock mine(folder.path());
    EXPECT_EQ(mine.acquire(), ListsLock::State::HeldElsewhere);
    owner.quit();
    EXPECT_EQ(mine.acquire(), ListsLock::State::Owner);
}

TEST(ListsLock, ACrashedOwnersLockIsTakenOver)
{
    QTemporaryDir folder;
    OtherCopy owner(folder.path());
    ASSERT_EQ(owner.state(), QStringLiteral("owner"));
    owner.crash();
    ASSERT_TRUE(QFile::exists(folder.filePath(QStringLiteral("listdata.txt.lock"))));
    ListsLock mine(folder.path());
    EXPECT_EQ(mine.acquire(), ListsLock::State::Owner);
}

TEST(ListsLock, AFolderThatCannotHoldALockIsNoOtherCopy)
{
    QTemporaryDir folder;
    writeBytes(folder.filePath(QStringLiteral("file")), "x");
    ListsLock lock(folder.filePath(QStringLiteral("file")));
    EXPECT_EQ(lock.acquire(), ListsLock::State::Unavailable);
    EXPECT_TRUE(lock.mayWriteLists()) << "the lists' own saves report what fails";
}

TEST(ListsLock, TheReadOnlyCopyNeverOverwritesTheOwnersChanges)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("listdata.txt"));
    {
        ListStore lists;
        StatusLog log;
        ListFile file(lists, log, path);
        lists.readyDownList().append(QStringLiteral("货1|http://detail.zorvane.com/offer/1.html"));
        ASSERT_TRUE(file.SaveLists());
    }
    struct Copy
    {
        ListsLock lock;
        ListStore lists;
        StatusLog log;
        ListFile file;
        Copy(const QString &folder, const QString &path)
            : lock(folder)
            , file(lists, log, path)
        {
            lock.acquire();
            file.setReadOnly(!lock.mayWriteLists());
            file.LoadLists();
        }
    };
    Copy first(folder.path(), path);
    Copy second(folder.path(), path);
    ASSERT_FALSE(first.file.isReadOnly());
    ASSERT_TRUE(second.file.isReadOnly());

    first.lists.readyDownList().append(QStringLiteral("货2|http://detail.zorvane.com/offer/2.html"));
    ASSERT_TRUE(first.file.SaveLists());
    const QByteArray saved = readBytes(path);
    // The second copy's view is stale; whatever it does, the file stays the owner's.
    second.lists.readyDownList().removeAt(0);
    second.lists.readyDownList().append(QStringLiteral("货3|http://detail.zorvane.com/offer/3.html"));
    EXPECT_TRUE(second.file.SaveLists());
    EXPECT_EQ(readBytes(path), saved);
    EXPECT_TRUE(saved.contains("offer/2.html"));
}
