#include "shell/app/program_folder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(ProgramFolder, ExecutableFolderWhenWritableElseUserData)
{
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dir;
    EXPECT_EQ(programFolderFor(dir.path()), dir.path());

    // The window and the runner have different application names and share one folder.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/zorvane-picker");
    const QString missing = dir.filePath(QStringLiteral("gone"));
    EXPECT_EQ(programFolderFor(missing), data);
    EXPECT_TRUE(QDir(data).exists());
    EXPECT_FALSE(QDir(missing).exists());

    // Installed: bin/ beside share/zorvane-picker, writable or not.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("prefix/bin")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("prefix/share/zorvane-picker")));
    EXPECT_EQ(programFolderFor(dir.filePath(QStringLiteral("prefix/bin"))), data);
    QDir(data).removeRecursively();
}
