// Staged item folders: names claimed in taking order, a whole copy taken
// over, and what a crash leaves removed only when its writer is gone.
#include "download/staged_folder.h"
#include "qt_printers.h"
#include "test_files.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(StagedFolder, NamesAreClaimedWhenStagedAndAnOrphanCopyIsReplacedInOneStep)
{
    QTemporaryDir out;
    const QString wanted = out.filePath(QStringLiteral("T"));
    ASSERT_TRUE(QDir().mkpath(wanted));
    writeBytes(wanted + QStringLiteral("/old.txt"), "old");
    // T is someone else's: the first stage claims T1, the second T2 while T1 is still staged.
    StagedFolder first, second;
    ASSERT_TRUE(first.stage(wanted, nullptr, nullptr));
    ASSERT_TRUE(second.stage(wanted, nullptr, nullptr));
    EXPECT_EQ(first.finalPath(), wanted + QStringLiteral("1"));
    EXPECT_EQ(second.finalPath(), wanted + QStringLiteral("2"));
    EXPECT_EQ(entries(out.path()).filter(QStringLiteral(".下载中-")).size(), 2);
    ASSERT_TRUE(second.commit(nullptr));
    first.drop();
    EXPECT_EQ(entries(out.path()), (QStringList{QStringLiteral("T"), QStringLiteral("T2")}));

    // T is a copy of this item that nobody names: it is taken over, not passed.
    StagedFolder again;
    ASSERT_TRUE(again.stage(wanted, [&](const QString &folder) { return folder == wanted; }, nullptr));
    EXPECT_EQ(again.finalPath(), wanted);
    writeBytes(again.stagingPath() + QStringLiteral("/new.txt"), "new");
    ASSERT_TRUE(again.commit(nullptr));
    EXPECT_EQ(entries(out.path()), (QStringList{QStringLiteral("T"), QStringLiteral("T2")}));
    EXPECT_EQ(entries(wanted), QStringList{QStringLiteral("new.txt")});
}

TEST(StagedFolder, LeftoversAreRemovedOnlyWhenNoRunningProgramWritesThem)
{
    QTemporaryDir out;
    const struct
    {
        QString name;
        bool removed;
    } cases[] = {
        {QStringLiteral(".下载中-4194303-1"), true},                                 // its process is gone
        {QStringLiteral(".下载中-%1-1").arg(::getppid()), false},                    // another program's, running
        {QStringLiteral(".下载中-x"), true},                                         // no process named
        {QStringLiteral(".下载中T"), false},                                         // an item's own name
    };
    for (const auto &c : cases)
        ASSERT_TRUE(QDir().mkpath(out.filePath(c.name + QStringLiteral("/主图"))));
    StagedFolder mine;
    ASSERT_TRUE(mine.stage(out.filePath(QStringLiteral("T")), nullptr, nullptr));
    EXPECT_EQ(StagedFolder::removeLeftovers(out.path()), 2);
    for (const auto &c : cases)
        EXPECT_EQ(QFileInfo::exists(out.filePath(c.name)), !c.removed) << c.name.toStdString();
    EXPECT_TRUE(QFileInfo::exists(mine.stagingPath())) << "this program's own stays";
}
