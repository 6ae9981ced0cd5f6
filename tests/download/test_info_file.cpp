#include "download/info_file.h"
#include "platform/files/text_file.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

struct RoundTripCase
{
    const char *name;
    QString itemNo;
    QString title;
    QList<AttributePair> attributes;
};

class InfoFileRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

} // namespace

// Written as the download writes it, through the file's GB18030 bytes, and read back.
TEST_P(InfoFileRoundTrip, ParsingTheWrittenFileGivesTheRecordBack)
{
    const RoundTripCase &c = GetParam();
    ItemRecord item;
    item.PickItemNo = c.itemNo;
    item.PickUrl = QStringLiteral("https://detail.zorvane.com/offer/7.html?spm=a:b");
    item.AttrList = c.attributes;
    const QDateTime when(QDate(2024, 3, 9), QTime(8, 5, 7));

    QTemporaryDir dir;
    const QString path = dir.filePath(InfoFileName);
    ASSERT_TRUE(writeLocalTextFile(path, infoFileText(item, c.title, when)));
    const std::optional<QString> text = readLocalTextFile(path);
    ASSERT_TRUE(text);
    const std::optional<InfoFile> info = parseInfoFile(*text);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->itemNo, c.itemNo);
    EXPECT_EQ(info->title, c.title);
    EXPECT_EQ(info->address, item.PickUrl);
    EXPECT_EQ(info->date, QStringLiteral("2024/3/9 8:05:07"));
    EXPECT_EQ(info->attributes, c.attributes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InfoFileRoundTrip,
    ::testing::Values(
        RoundTripCase{"attributes", q("A-1"), q("连衣裙"),
                      {{q("颜色"), q("红")}, {q("货号"), q("A-1")}, {q("尺码"), q("S,M,L")}}},
        RoundTripCase{"colons_in_values", q("B:2"), q("标题：带冒号"),
                      {{q("时间"), q("10:30")}, {q("比例"), q("1:1：2")}, {q("空值"), QString()}}},
        RoundTripCase{"no_attributes", q("C-3"), q("女装｜夏季 新款"), {}},
        RoundTripCase{"empty_fields", QString(), QString(), {{q("颜色"), q("蓝")}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(InfoFileParse, ReadsWhatEditorsLeaveAndRefusesOtherText)
{
    const struct
    {
        const char *name;
        QString text;
        bool isInfoFile;
        QString title;
        QList<AttributePair> attributes;
    } cases[] = {
        {"lf_line_ends", q("宝贝货号：1\n宝贝标题：T\n宝贝链接：U\n采集日期：D\n宝贝属性：\n颜色:红\n"), true, q("T"),
         {{q("颜色"), q("红")}}},
        {"blank_and_colonless_lines_skipped", q("宝贝货号：1\r\n宝贝标题：T\r\n宝贝属性：\r\n\r\n备注\r\n尺码:M\r\n"), true,
         q("T"), {{q("尺码"), q("M")}}},
        {"no_attribute_label", q("宝贝货号：1\r\n宝贝标题：T\r\n颜色:红\r\n"), true, q("T"), {}},
        {"other_text", q("颜色:红\r\n宝贝货号：1\r\n"), false, QString(), {}},
        {"ascii_colon_label", q("宝贝货号:1\r\n"), false, QString(), {}},
        {"empty", QString(), false, QString(), {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<InfoFile> info = parseInfoFile(c.text);
        ASSERT_EQ(info.has_value(), c.isInfoFile);
        if (!info)
            continue;
        EXPECT_EQ(info->title, c.title);
        EXPECT_EQ(info->attributes, c.attributes);
    }
}
