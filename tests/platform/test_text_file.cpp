#include "test_files.h"
#include "file_faults.h"
#include "platform/files/text_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>


TEST(LocalText, GbkBytesDecodeAndEncodeUnchanged)
{
    // "宝贝货号：A" as the Windows program writes it in GBK.
    const QByteArray gbk("\xB1\xA6\xB1\xB4\xBB\xF5\xBA\xC5\xA3\xBA" "A\r\n");
    EXPECT_EQ(decodeLocalText(gbk), QStringLiteral("宝贝货号：A\r\n"));
    EXPECT_EQ(encodeLocalText(QStringLiteral("宝贝货号：A\r\n")), gbk);
}

TEST(LocalText, TextOutsideGbkSurvivesARoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    const QString text = QStringLiteral("连衣裙 😀 €\r\n");
    ASSERT_TRUE(writeLocalTextFile(path, text));
    EXPECT_EQ(readLocalTextFile(path).value(), text);
}

TEST(LocalText, FailedWriteLeavesThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("listdata.txt"));
    ASSERT_TRUE(writeFileAtomically(path, "old contents"));
    QString error;
    {
        FileSizeLimit full(64);
        EXPECT_FALSE(writeFileAtomically(path, QByteArray(4096, 'x'), &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(path), QByteArray("old contents"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}

TEST(LocalText, WriteIntoAMissingFolderIsReported)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(writeLocalTextFile(dir.filePath(QStringLiteral("no/such/t.txt")), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(readLocalTextFile(dir.filePath(QStringLiteral("no/such/t.txt"))).has_value());
}

TEST(LocalText, SplitLinesKnowsEveryLineEnd)
{
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\r\n")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\r\n\r\n")), (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(splitLines(QStringLiteral("a\nb")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\rb\r")), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
}
