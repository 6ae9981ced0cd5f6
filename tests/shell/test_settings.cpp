#include "test_files.h"
#include "file_faults.h"
#include "platform/files/text_file.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    Settings settings{dir.path()};

    QString file() const { return settings.filePath(); }
};

} // namespace

TEST_F(SettingsTest, MissingFileReadsEmptyAndFirstWriteCreatesSection)
{
    EXPECT_EQ(file(), dir.path() + QStringLiteral("/config.ini"));
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("skin")), QString());
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("isAuto")), QString());
    EXPECT_FALSE(QFile::exists(file())) << "reading does not create the file";

    ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("isAuto"), QStringLiteral("True")));
    EXPECT_EQ(readBytes(file()), QByteArray("[config]\r\nisAuto=True\r\n"));
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("isauto")), QStringLiteral("True"));
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("skin")), QString());
}

struct ReadCase
{
    const char *name;
    QByteArray file;
    QString key;
    QString expected;
};

class SettingsReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SettingsReadTest, FindsTheValue)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath(QStringLiteral("config.ini")), GetParam().file);
    EXPECT_EQ(Settings(dir.path()).LoadConfigValue(GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsReadTest,
    ::testing::Values(
        ReadCase{"key_case_ignored", "[config]\r\nisAuto=True\r\n", QStringLiteral("ISAUTO"), QStringLiteral("True")},
        ReadCase{"section_case_ignored", "[Config]\r\nskin=a.she\r\n", QStringLiteral("skin"), QStringLiteral("a.she")},
        ReadCase{"blanks_trimmed", "[config]\r\n  skin  =   a b.she  \r\n", QStringLiteral("skin"), QStringLiteral("a b.she")},
        ReadCase{"lf_line_ends", "[config]\nskinid=3\nskin=x\n", QStringLiteral("skinid"), QStringLiteral("3")},
        ReadCase{"no_final_line_end", "[config]\r\nskinid=3", QStringLiteral("skinid"), QStringLiteral("3")},
        ReadCase{"empty_value", "[config]\r\nskin=\r\n", QStringLiteral("skin"), QString()},
        ReadCase{"value_with_equals", "[config]\r\nPicOutPutPath=/a=b\r\n", QStringLiteral("PicOutPutPath"), QStringLiteral("/a=b")},
        ReadCase{"other_section_not_read", "[other]\r\nskin=no\r\n[config]\r\nx=1\r\n", QStringLiteral("skin"), QString()},
        ReadCase{"after_other_section", "[other]\r\nskin=no\r\n[config]\r\nskin=yes\r\n", QStringLiteral("skin"), QStringLiteral("yes")},
        ReadCase{"key_before_any_section", "skin=no\r\n[config]\r\n", QStringLiteral("skin"), QString()},
        ReadCase{"comment_skipped", "[config]\r\n;skin=no\r\nskin=yes\r\n", QStringLiteral("skin"), QStringLiteral("yes")},
        ReadCase{"first_of_duplicates", "[config]\r\nskin=one\r\nSKIN=two\r\n", QStringLiteral("skin"), QStringLiteral("one")},
        ReadCase{"gbk_value", "[config]\r\nPicOutPutPath=D:\\\xCD\xBC\xC6\xAC\r\n", QStringLiteral("PicOutPutPath"),
                 QStringLiteral("D:\\图片")},
        ReadCase{"no_section", "", QStringLiteral("skin"), QString()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettingsTest, LongValuesAreCutTo254Characters)
{
    const QString head = QString(253, QLatin1Char('a'));
    const struct
    {
        QString stored;
        QString expected;
    } cases[] = {
        {QString(254, QLatin1Char('x')), QString(254, QLatin1Char('x'))},
        {QString(300, QLatin1Char('x')), QString(254, QLatin1Char('x'))},
        {QString(300, QChar(0x56FE)), QString(254, QChar(0x56FE))},                            // Chinese counts as one
        {head + QStringLiteral(" tail"), head},                                                 // the cut leaves a blank: trimmed
        {QStringLiteral("   ") + QString(254, QLatin1Char('y')), QString(254, QLatin1Char('y'))}, // trimmed before the cut
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), c.stored));
        EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("PicOutPutPath")), c.expected) << c.stored.size();
    }
}

TEST_F(SettingsTest, WritingOneKeyLeavesEveryOtherByte)
{
    // A file the user or another program edited: comments, blank lines, other
    // sections, odd spacing, a GBK comment and a line without a line end.
    const QByteArray before = "; \xD7\xA2\xCA\xCD\r\n"
                              "[other]\r\n"
                              "skin=keep.she\r\n"
                              "\r\n"
                              "[CONFIG]\r\n"
                              "  Skin = old.she  \r\n"
                              "skinid=2\r\n"
                              "\r\n"
                              "[last]\r\n"
                              "x=1";
    writeBytes(file(), before);

    ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("skin"), QStringLiteral("皮肤.she")));
    QByteArray expected = before;
    const QByteArray rewritten = QByteArray("  Skin =") + encodeLocalText(QStringLiteral("皮肤.she"));
    expected.replace(QByteArray("  Skin = old.she  "), rewritten);
    EXPECT_EQ(readBytes(file()), expected);
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("skin")), QStringLiteral("皮肤.she"));

    // The same value again: the file does not change.
    ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("SKIN"), QStringLiteral("皮肤.she")));
    EXPECT_EQ(readBytes(file()), expected);

    // A new key goes after the section's last entry, before the blank line.
    ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("isAuto"), QStringLiteral("False")));
    expected.replace("skinid=2\r\n", "skinid=2\r\nisAuto=False\r\n");
    EXPECT_EQ(readBytes(file()), expected);
    EXPECT_EQ(Settings(dir.path()).LoadConfigValue(QStringLiteral("skinid")), QStringLiteral("2"));
}

TEST_F(SettingsTest, MissingSectionIsAppendedAtTheEnd)
{
    const struct
    {
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"[other]\r\nskin=a\r\n", "[other]\r\nskin=a\r\n[config]\r\nskin=b\r\n"},
        {"[other]\r\nskin=a", "[other]\r\nskin=a\r\n[config]\r\nskin=b\r\n"},
        {"", "[config]\r\nskin=b\r\n"},
        // The section is last and the file has no final line end.
        {"[config]\r\nx=1", "[config]\r\nx=1\r\nskin=b\r\n"},
        {"[config]", "[config]\r\nskin=b\r\n"},
    };
    for (const auto &c : cases) {
        writeBytes(file(), c.before);
        ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("skin"), QStringLiteral("b")));
        EXPECT_EQ(readBytes(file()), c.after) << c.before.constData();
    }
}

TEST_F(SettingsTest, FailedWritesAreReportedAndLeaveTheOldFile)
{
    ASSERT_TRUE(settings.SaveConfigValue(QStringLiteral("skin"), QStringLiteral("a.she")));
    const QByteArray before = readBytes(file());
    QString error;
    {
        FileSizeLimit full(before.size());
        EXPECT_FALSE(settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), QString(200, QLatin1Char('p')), &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(file()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("config.ini")});

    // A program folder that is a regular file: nothing can be created below it.
    Settings underFile(file());
    error.clear();
    EXPECT_FALSE(underFile.SaveConfigValue(QStringLiteral("skin"), QStringLiteral("b.she"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(underFile.LoadConfigValue(QStringLiteral("skin")), QString());
    EXPECT_EQ(readBytes(file()), before);

    // Text that would break the line structure is refused.
    error.clear();
    EXPECT_FALSE(settings.SaveConfigValue(QStringLiteral("skin"), QStringLiteral("a\r\n[x]"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readBytes(file()), before);
}

// The Windows program and users' files name the keys so: a typed setting
// must read and write exactly these, and read a missing key as before.
TEST_F(SettingsTest, EachSettingIsItsKeyInTheFile)
{
    EXPECT_EQ(settings.saveFolder(), QString());
    EXPECT_TRUE(settings.autoMode());
    EXPECT_EQ(settings.pace(), BatchCycle::Pace::Standard);
    EXPECT_EQ(settings.skin(), QString());
    EXPECT_EQ(settings.skinId(), std::nullopt);

    ASSERT_TRUE(settings.setSaveFolder(QStringLiteral("/图片/宝贝")));
    ASSERT_TRUE(settings.setAutoMode(false));
    ASSERT_TRUE(settings.setPace(BatchCycle::Pace::Fast));
    ASSERT_TRUE(settings.setSkin(QStringLiteral("墨夜.qss")));
    ASSERT_TRUE(settings.setSkinId(2));
    const struct
    {
        const char *key;
        QString value;
    } stored[] = {
        {"PicOutPutPath", QStringLiteral("/图片/宝贝")}, {"isauto", QStringLiteral("False")},
        {"PickPace", QStringLiteral("快速")},            {"skin", QStringLiteral("墨夜.qss")},
        {"skinid", QStringLiteral("2")},
    };
    for (const auto &s : stored)
        EXPECT_EQ(settings.LoadConfigValue(QLatin1String(s.key)), s.value) << s.key;
    EXPECT_FALSE(settings.autoMode());
    EXPECT_EQ(settings.pace(), BatchCycle::Pace::Fast);
    EXPECT_EQ(settings.skinId(), 2);

    // Only the exact text "False" switches auto mode off; an emptied skin id is none.
    settings.SaveConfigValue(QStringLiteral("isAuto"), QStringLiteral("false"));
    EXPECT_TRUE(settings.autoMode());
    ASSERT_TRUE(settings.setSkinId(std::nullopt));
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("skinid")), QString());
    EXPECT_EQ(settings.skinId(), std::nullopt);
}

TEST_F(SettingsTest, ListingSizesAreStoredInRangeAndReadBackAsTheDefaultsWhenEditedOutOfIt)
{
    EXPECT_EQ(settings.listingOptions(), ListingOptions()) << "800, 750, 1500, 2048 KB, off, off";
    ListingOptions wanted;
    wanted.mainSide = 750;
    wanted.descWidth = 790;
    wanted.sliceHeight = 1200;
    wanted.sizeLimitKB = 500;
    wanted.enlargeMain = true;
    wanted.afterCollect = true;
    ASSERT_TRUE(settings.setListingOptions(wanted));
    EXPECT_EQ(settings.listingOptions(), wanted);
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("ListingSizeKB")), QStringLiteral("500"));
    EXPECT_EQ(settings.LoadConfigValue(QStringLiteral("ListingAfterCollect")), QStringLiteral("True"));

    const QByteArray before = readBytes(file());
    struct Refused
    {
        int ListingOptions::*field;
        int value;
        QString error;
    };
    for (const Refused &r : {Refused{&ListingOptions::mainSide, 199, QStringLiteral("主图边长199像素超出范围,只能是200到4000像素")},
                             Refused{&ListingOptions::descWidth, 2001, QStringLiteral("描述图宽度2001像素超出范围,只能是200到2000像素")},
                             Refused{&ListingOptions::sliceHeight, 399, QStringLiteral("描述图切片高度399像素超出范围,只能是400到10000像素")},
                             Refused{&ListingOptions::sizeLimitKB, 20481, QStringLiteral("文件大小上限20481KB超出范围,只能是50到20480KB")}}) {
        ListingOptions refused = wanted;
        refused.*r.field = r.value;
        QString error;
        EXPECT_FALSE(settings.setListingOptions(refused, &error));
        EXPECT_EQ(error, r.error);
    }
    EXPECT_EQ(readBytes(file()), before) << "nothing written for a refused value";

    // Edited by hand: each number out of range, or no number, reads as its default.
    settings.SaveConfigValue(QStringLiteral("ListingMainSide"), QStringLiteral("90000"));
    settings.SaveConfigValue(QStringLiteral("ListingSliceHeight"), QStringLiteral("高"));
    const ListingOptions read = settings.listingOptions();
    EXPECT_EQ(read.mainSide, 800);
    EXPECT_EQ(read.sliceHeight, 1500);
    EXPECT_EQ(read.descWidth, 790) << "the others as stored";
}
