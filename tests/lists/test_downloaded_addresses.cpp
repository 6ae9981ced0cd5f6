// The downloaded list's page addresses, kept in step with the list.
#include "qt_printers.h"

#include "lists/downloaded_addresses.h"
#include "lists/item_list.h"

#include <gtest/gtest.h>

namespace {

QString line(const QString &itemNo, const QString &address)
{
    return itemNo + QStringLiteral("|标题|/out/") + itemNo + QLatin1Char('|') + address;
}

const QString Page = QStringLiteral("http://detail.zorvane.com/offer/7.html");

} // namespace

TEST(DownloadedAddresses, OnePageWhateverItsQueryOrFragment)
{
    ItemList list;
    list.append(line(QStringLiteral("A"), Page + QStringLiteral("?spm=a1.b2#desc")));
    const DownloadedAddresses addresses(list);
    const struct
    {
        QString address;
        bool downloaded;
    } cases[] = {
        {Page, true},
        {Page + QStringLiteral("?from=shop"), true},
        {Page + QStringLiteral("#top"), true},
        {QStringLiteral("http://DETAIL.zorvane.com/offer/7.html"), true}, // host names ignore case
        {QStringLiteral("https://detail.zorvane.com/offer/7.html"), true}, // the marketplace moves http to https
        {QStringLiteral("http://detail.zorvane.com/offer/70.html"), false},
        {QStringLiteral("http://detail.zorvane.com/offer/7.htm"), false},
        {QStringLiteral("http://other.zorvane.com/offer/7.html"), false},
        {QString(), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(addresses.contains(c.address), c.downloaded) << c.address.toStdString();
}

TEST(DownloadedAddresses, FollowTheListAsItChanges)
{
    ItemList list;
    const DownloadedAddresses addresses(list);
    const QString other = QStringLiteral("http://detail.zorvane.com/offer/8.html");
    list.append(line(QStringLiteral("A"), Page));
    list.append(line(QStringLiteral("B"), Page)); // the same page downloaded twice
    list.insert(0, line(QStringLiteral("C"), other));
    EXPECT_TRUE(addresses.contains(Page));
    EXPECT_TRUE(addresses.contains(other));

    list.removeAt(1); // A: B still has the page
    EXPECT_TRUE(addresses.contains(Page));
    list.replace(1, QStringLiteral("B2|标题|/out/B|") + other); // a rewritten line
    EXPECT_FALSE(addresses.contains(Page));
    list.setSelected(0, true); // a selection changes nothing
    EXPECT_TRUE(addresses.contains(other));
    list.removeAt(0);
    EXPECT_TRUE(addresses.contains(other));
    list.clear();
    EXPECT_FALSE(addresses.contains(other));
}
