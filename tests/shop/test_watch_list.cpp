// The watched shops without a browser: the comparison of a walk with the last
// record and the downloaded list, the watch file, the record file and when a
// check falls due on the window's own timer.
#include "log_text.h"
#include "test_files.h"
#include "file_faults.h"

#include "collection/marketplace.h"
#include "platform/files/text_file.h"
#include "shell/window_kept_schedule.h"
#include "shop/change_record.h"
#include "shop/shop_changes.h"
#include "shop/watch_list.h"
#include "shop/watch_report.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QString offer(int id, const char *scheme = "http")
{
    return QStringLiteral("%1://detail.zorvane.com/offer/%2.html").arg(QLatin1String(scheme)).arg(id);
}

QStringList offers(std::initializer_list<int> ids)
{
    QStringList list;
    for (int id : ids)
        list << offer(id);
    return list;
}

struct ChangeCase
{
    const char *name;
    QStringList walked;
    QStringList lastRecord; // empty with recorded=false: a first check
    bool recorded = true;
    bool withExisting = false;
    QStringList downloaded;
    QStringList listed;
    QList<std::pair<int, int>> fresh; // item id, position
    QList<int> relisted;
    QList<int> gone;
    QStringList queued = {}; // by a check that did not get to record
};

QList<std::pair<int, int>> idsAndPositions(const QList<ShopChanges::Item> &items)
{
    QList<std::pair<int, int>> out;
    for (const ShopChanges::Item &i : items)
        out.append({QUrl(i.address).fileName().section(QLatin1Char('.'), 0, 0).toInt(), i.position});
    return out;
}

QList<int> ids(const QStringList &addresses)
{
    QList<int> out;
    for (const QString &a : addresses)
        out << QUrl(a).fileName().section(QLatin1Char('.'), 0, 0).toInt();
    return out;
}

} // namespace

TEST(ShopChangesTest, AWalkAgainstTheLastRecordAndTheDownloadedList)
{
    const QList<ChangeCase> cases{
        {"new item between two checks", offers({1, 2, 3}), offers({1, 2}), true, false, {}, offers({1, 2, 3}), {{3, 3}}, {}, {}},
        {"an item taken away", offers({1, 3}), offers({1, 2, 3}), true, false, {}, offers({1, 3}), {}, {}, {2}},
        {"new and gone at once, the new one first in the list", offers({9, 1}), offers({1, 2}), true, false, {},
         offers({9, 1}), {{9, 1}}, {}, {2}},
        {"re-listed: gone last time, downloaded before", offers({1, 2}), offers({1}), true, false, offers({2}),
         offers({1, 2}), {}, {2}, {}},
        {"shown twice: on two pages as the list shifts", offers({5, 1, 2, 2, 5}), offers({1, 2}), true, false, {},
         offers({5, 1, 2}), {{5, 1}}, {}, {}},
        {"another scheme, upper-case host, a tracking query",
         {offer(1, "https"), QStringLiteral("http://DETAIL.zorvane.com/offer/2.html?spm=abc")}, offers({1, 2}), true, false,
         {}, {offer(1, "https"), QStringLiteral("http://DETAIL.zorvane.com/offer/2.html?spm=abc")}, {}, {}, {}},
        {"a downloaded new item is not collected again", offers({1, 4}), offers({1}), true, false,
         {offer(4, "https") + QStringLiteral("?from=old")}, offers({1, 4}), {}, {4}, {}},
        {"a shop with one page and one item", offers({7}), offers({7}), true, false, {}, offers({7}), {}, {}, {}},
        {"an empty shop: everything gone", {}, offers({1, 2}), true, false, {}, {}, {}, {}, {1, 2}},
        {"an empty shop that was empty", {}, {}, true, false, {}, {}, {}, {}, {}},
        {"first check records only", offers({1, 2, 2}), {}, false, false, {}, offers({1, 2}), {}, {}, {}},
        {"first check with existing collects what was not downloaded", offers({1, 2, 3}), {}, false, true, offers({2}),
         offers({1, 2, 3}), {{1, 1}, {3, 3}}, {}, {}},
        // A check killed after collecting some of its new items: those are still new, not back on sale.
        {"collected by a check cut short", offers({1, 2, 3}), offers({1}), true, false, offers({2}), offers({1, 2, 3}),
         {{2, 2}, {3, 3}}, {}, {}, offers({2, 3})},
        {"queued by a cut check, listed again another way", {offer(1), offer(2, "https")}, offers({1}), true, false,
         offers({2}), {offer(1), offer(2, "https")}, {{2, 2}}, {}, {}, offers({2})},
        {"first check with existing, cut short", offers({1, 2}), {}, false, true, offers({1, 2}), offers({1, 2}),
         {{1, 1}}, {}, {}, offers({1})},
    };
    for (const ChangeCase &c : cases) {
        SCOPED_TRACE(c.name);
        WatchedShop last;
        last.address = QStringLiteral("http://shop.zorvane.com");
        last.items = c.lastRecord;
        last.withExisting = c.withExisting;
        last.queued = c.queued;
        if (c.recorded)
            last.lastCheck = QDateTime(QDate(2026, 3, 1), QTime(9, 0));
        QSet<QString> keys;
        for (const QString &d : c.downloaded)
            keys.insert(Marketplace::pageKey(d));
        const ShopChanges changes = ShopChanges::compare(
            c.walked, last, [&keys](const QString &a) { return keys.contains(Marketplace::pageKey(a)); });
        EXPECT_EQ(changes.listed, c.listed);
        EXPECT_EQ(idsAndPositions(changes.fresh), c.fresh);
        EXPECT_EQ(idsAndPositions(changes.relisted).size(), c.relisted.size());
        for (qsizetype i = 0; i < std::min(changes.relisted.size(), c.relisted.size()); ++i)
            EXPECT_EQ(idsAndPositions(changes.relisted).at(i).first, c.relisted.at(i));
        EXPECT_EQ(ids(changes.gone), c.gone);
    }
}

TEST(WatchListTest, TheSameShopWrittenAnotherWayIsAddedOnce)
{
    QTemporaryDir folder;
    WatchList list(folder.path());
    QString message;
    const QDateTime now(QDate(2026, 3, 2), QTime(8, 30, 5));
    ASSERT_EQ(list.add(QStringLiteral("http://goodshop.zorvane.com/"), false, now, &message), WatchList::Change::Done);
    EXPECT_EQ(message, S(u"已加入店铺上新监控:goodshop http://goodshop.zorvane.com,下次检查记录现有宝贝,之后采集新宝贝"));
    const QByteArray before = readBytes(list.path());
    for (const QString &same : {S(u"https://goodshop.zorvane.com"), S(u"HTTP://GoodShop.Zorvane.com//"),
                                S(u"goodshop.zorvane.com/page/offerlist.htm?pageNum=2")}) {
        SCOPED_TRACE(same.toStdString());
        EXPECT_EQ(list.add(same, true, now, &message), WatchList::Change::AlreadyThere);
        EXPECT_EQ(message, S(u"店铺goodshop已在监控中:http://goodshop.zorvane.com"));
        EXPECT_EQ(readBytes(list.path()), before);
    }
    EXPECT_EQ(list.add(S(u"不是地址"), false, now, &message), WatchList::Change::BadAddress);
    EXPECT_EQ(list.remove(S(u"http://othershop.zorvane.com"), &message), WatchList::Change::NotThere);
    EXPECT_EQ(readBytes(list.path()), before);
    EXPECT_EQ(list.remove(S(u"HTTPS://goodshop.zorvane.com/"), &message), WatchList::Change::Done);
    EXPECT_TRUE(list.shops().isEmpty());
}

TEST(WatchListTest, TheFileIsGb18030WithCrLfAndReadsBackWhole)
{
    QTemporaryDir folder;
    WatchList list(folder.path());
    WatchedShop shop;
    shop.address = S(u"http://shop-a.zorvane.com");
    shop.name = S(u"shop-a");
    shop.added = QDateTime(QDate(2026, 3, 1), QTime(9, 0, 1));
    shop.lastCheck = QDateTime(QDate(2026, 3, 2), QTime(9, 4, 59));
    shop.items = offers({3, 1});
    shop.lastNew = 1;
    shop.lastGone = 2;
    WatchedShop failing = shop;
    failing.address = S(u"http://shop-b.zorvane.com");
    failing.name = S(u"shop-b");
    failing.lastFailure = S(u"店铺第2页加载失败");
    failing.withExisting = true;
    failing.lastCheck = {};
    failing.queued = offers({5});
    const QString text = WatchList::format({shop, failing});
    ASSERT_TRUE(writeLocalTextFile(list.path(), text));
    const QByteArray bytes = readBytes(list.path());
    EXPECT_TRUE(bytes.contains(QByteArray("LastFailure=\xb5\xea\xc6\xcc", 16))) << "店铺 in GBK";
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
    const QList<WatchedShop> back = list.shops();
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0].items, shop.items);
    EXPECT_EQ(back[0].lastCheck, shop.lastCheck);
    EXPECT_EQ(back[0].added, shop.added);
    EXPECT_EQ(back[0].lastNew, 1);
    EXPECT_EQ(back[0].lastGone, 2);
    EXPECT_TRUE(back[0].recorded());
    EXPECT_FALSE(back[1].recorded());
    EXPECT_TRUE(back[1].withExisting);
    EXPECT_EQ(back[1].lastFailure, failing.lastFailure);
    EXPECT_EQ(back[1].queued, failing.queued);
    EXPECT_TRUE(back[0].queued.isEmpty());
    EXPECT_EQ(WatchList::format(back), text);
    // Noting queued items changes nothing else.
    WatchedShop noted = back[0];
    noted.queued = offers({8, 9});
    noted.items.clear();
    QString error;
    ASSERT_TRUE(list.noteQueued({noted}, &error));
    EXPECT_EQ(list.shops()[0].queued, offers({8, 9}));
    EXPECT_EQ(list.shops()[0].items, shop.items);
    EXPECT_EQ(list.shops()[1].queued, failing.queued);
}

TEST(WatchListTest, ACheckUpdatesItsShopsAndKeepsOnesAddedOrRemovedMeanwhile)
{
    QTemporaryDir folder;
    WatchList list(folder.path());
    QString message;
    const QDateTime now = QDateTime::currentDateTime();
    list.add(S(u"http://a.zorvane.com"), false, now, &message);
    list.add(S(u"http://b.zorvane.com"), false, now, &message);
    QList<WatchedShop> checked = list.shops();
    // Meanwhile the window removes one and the runner adds another.
    list.remove(S(u"http://a.zorvane.com"), &message);
    list.add(S(u"http://c.zorvane.com"), false, now, &message);
    for (WatchedShop &s : checked) {
        s.items = offers({1});
        s.lastCheck = now;
    }
    QString error;
    ASSERT_TRUE(list.update(checked, &error));
    const QList<WatchedShop> after = list.shops();
    ASSERT_EQ(after.size(), 2);
    EXPECT_EQ(after[0].name, S(u"b"));
    EXPECT_EQ(after[0].items, offers({1}));
    EXPECT_EQ(after[1].name, S(u"c"));
    EXPECT_TRUE(after[1].items.isEmpty());
}

TEST(WatchListTest, AWriteThatFailsLeavesTheFileAsItWas)
{
    QTemporaryDir folder;
    WatchList list(folder.path());
    QString message;
    list.add(S(u"http://a.zorvane.com"), false, QDateTime::currentDateTime(), &message);
    const QByteArray before = readBytes(list.path());
    WatchedShop big = list.shops().first();
    for (int id = 0; id < 2000; ++id)
        big.items << offer(id);
    {
        FileSizeLimit full(before.size() + 100);
        QString error;
        EXPECT_FALSE(list.update({big}, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(list.add(S(u"http://bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb.zorvane.com"), false,
                           QDateTime::currentDateTime(), &message),
                  WatchList::Change::NotWritten);
        EXPECT_TRUE(message.startsWith(S(u"加入监控失败,原因:")));
    }
    EXPECT_EQ(readBytes(list.path()), before);
}

TEST(ChangeRecordTest, BlocksFollowEachOtherAndTheNewestComesFirstWhenRead)
{
    QTemporaryDir folder;
    ChangeRecord record(folder.path());
    WatchReport report;
    report.started = QDateTime(QDate(2026, 3, 3), QTime(9, 1, 2));
    ShopCheckReport shop;
    shop.name = S(u"a");
    shop.address = S(u"http://a.zorvane.com");
    shop.listed = 3;
    shop.fresh = {{offer(3), S(u"新款"), S(u"a#3"), S(u"/out/新款"), }, {offer(4), {}, {}, {}}};
    shop.gone = {{offer(2), S(u"旧款")}};
    ShopCheckReport dead;
    dead.name = S(u"b");
    dead.address = S(u"http://b.zorvane.com");
    dead.failure = S(u"店铺第1页加载失败");
    report.shops = {shop, dead};
    QString error;
    ASSERT_TRUE(record.append(report.recordBlock(), &error)) << error.toStdString();
    report.started = report.started.addDays(1);
    report.shops = {dead};
    ASSERT_TRUE(record.append(report.recordBlock(), &error));
    EXPECT_EQ(decodeLocalText(readBytes(record.path())),
              S(u"[2026-03-03 09:01:02] 店铺上新检查:2个店铺,2个新宝贝,1个下架,1个店铺无法读取\r\n"
                u"[店铺] a http://a.zorvane.com 共3个宝贝,新宝贝2个(已采集1个),下架1个\r\n"
                u"新宝贝|新款|a#3|/out/新款|http://detail.zorvane.com/offer/3.html\r\n"
                u"新宝贝(未采集)||||http://detail.zorvane.com/offer/4.html\r\n"
                u"下架|http://detail.zorvane.com/offer/2.html|旧款\r\n"
                u"[无法读取] b http://b.zorvane.com 原因:店铺第1页加载失败,保留上次记录\r\n"
                u"[2026-03-04 09:01:02] 店铺上新检查:1个店铺,0个新宝贝,0个下架,1个店铺无法读取\r\n"
                u"[无法读取] b http://b.zorvane.com 原因:店铺第1页加载失败,保留上次记录\r\n"));
    const QStringList blocks = record.lastBlocks(5);
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_TRUE(blocks[0].startsWith(S(u"[2026-03-04")));
    EXPECT_TRUE(blocks[1].startsWith(S(u"[2026-03-03")));
    EXPECT_EQ(record.lastBlocks(1).size(), 1);
}

TEST(WatchScheduleTest, TheWindowsTimerFallsDueOncePerDayAndRetriesAnUnreadDayHourly)
{
    const QDate day(2026, 3, 10);
    const QTime nine(9, 0);
    struct Case
    {
        const char *name;
        QDateTime now, lastRead, lastTry, due;
    };
    const QDateTime tomorrow(day.addDays(1), nine);
    const QList<Case> cases{
        {"before the time, checked yesterday", {day, QTime(8, 0)}, {day.addDays(-1), QTime(9, 3)}, {}, {day, nine}},
        {"after the time, checked today", {day, QTime(10, 0)}, {day, QTime(9, 4)}, {}, tomorrow},
        {"after the time, the check missed", {day, QTime(10, 0)}, {day.addDays(-1), QTime(9, 4)}, {}, {day, QTime(10, 0)}},
        {"exactly at the time, checked a minute before", {day, nine}, {day, QTime(8, 59)}, {}, tomorrow},
        {"exactly at the time, checked two minutes before", {day, nine}, {day, QTime(8, 58)}, {}, {day, nine}},
        {"before the time, yesterday's missed", {day, QTime(8, 0)}, {day.addDays(-2), QTime(9, 4)}, {}, {day, QTime(8, 0)}},
        {"never checked: no catching up", {day, QTime(10, 0)}, {}, {}, tomorrow},
        {"just before midnight", {day, QTime(23, 59, 59)}, {day, QTime(9, 1)}, {}, tomorrow},
        // The timer fired a second early; the check read its shops and ran over a minute.
        {"started 08:59:59, ended 09:01:10", {day, QTime(9, 1, 10)}, {day, QTime(8, 59, 59)}, {day, QTime(8, 59, 59)}, tomorrow},
        // Every shop unreadable: the record stays old, the start is what counts.
        {"unread at 09:00, now 09:01", {day, QTime(9, 1)}, {day.addDays(-1), QTime(9, 0)}, {day, nine}, {day, QTime(10, 0)}},
        {"unread, started early", {day, QTime(9, 0, 30)}, {day.addDays(-1), nine}, {day, QTime(8, 59, 59)},
         {day, QTime(9, 59, 59)}},
        {"unread at 10:00, now 11:30 (the window was closed)", {day, QTime(11, 30)}, {day.addDays(-1), nine},
         {day, QTime(10, 0)}, {day, QTime(11, 30)}},
        {"unread at 23:40: the day's check goes on past midnight", {day, QTime(23, 50)}, {day.addDays(-1), nine},
         {day, QTime(23, 40)}, {day.addDays(1), QTime(0, 40)}},
        {"unread at 08:30 for yesterday's: today's time comes first", {day, QTime(8, 31)}, {day.addDays(-2), nine},
         {day, QTime(8, 30)}, {day, nine}},
        {"never read, tried today", {day, QTime(9, 20)}, {}, {day, nine}, {day, QTime(10, 0)}},
        {"never read, tried yesterday", {day, QTime(9, 20)}, {}, {day.addDays(-1), nine}, {day, QTime(9, 20)}},
        {"read today after an unread start", {day, QTime(10, 5)}, {day, QTime(10, 0)}, {day, nine}, tomorrow},
        // Started a second early and read nothing within that second: the time is not due again.
        {"unread, ended before the time", {day, QTime(8, 59, 59, 900)}, {day.addDays(-1), nine}, {day, QTime(8, 59, 59)},
         {day, QTime(9, 59, 59)}},
        {"half a minute before, yesterday's missed: at the time", {day, QTime(8, 59, 30)}, {day.addDays(-2), nine}, {},
         {day, nine}},
        {"never checked, half a minute before", {day, QTime(8, 59, 30)}, {}, {}, {day, nine}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WindowKeptSchedule::nextRun(c.now, nine, c.lastRead, c.lastTry), c.due);
    }
}
