#include "log_text.h"
#include "qt_printers.h"
#include "shell/browser/address_rules.h"

#include <gtest/gtest.h>

TEST(TypedAddress, OnlyWebPagesAndTheBlankPage)
{
    const struct
    {
        const char *name;
        QString typed;
        QString opened; // empty: refused
    } cases[] = {
        {"https", QStringLiteral("https://www.zorvane.com/"), QStringLiteral("https://www.zorvane.com/")},
        {"http_detail", QStringLiteral("http://detail.zorvane.com/offer/1.html"),
         QStringLiteral("http://detail.zorvane.com/offer/1.html")},
        {"no_scheme_reads_as_http", QStringLiteral("www.zorvane.com"), QStringLiteral("http://www.zorvane.com")},
        {"upper_case_scheme", QStringLiteral("HTTPS://www.zorvane.com/"), QStringLiteral("https://www.zorvane.com/")},
        {"blank", QStringLiteral("about:blank"), QStringLiteral("about:blank")},
        {"blank_upper_case", QStringLiteral("ABOUT:BLANK"), QStringLiteral("about:blank")},
        {"file_address", QStringLiteral("file:///etc/passwd"), QString()},
        {"local_path", QStringLiteral("/etc/passwd"), QString()},
        {"home_path", QStringLiteral("~/.ssh/id_rsa"), QString()},
        {"script", QStringLiteral("javascript:alert(1)"), QString()},
        {"data", QStringLiteral("data:text/html,<b>x</b>"), QString()},
        {"ftp", QStringLiteral("ftp://example.org/"), QString()},
        {"other_about_page", QStringLiteral("about:config"), QString()},
        {"chrome_page", QStringLiteral("chrome://settings"), QString()},
        {"empty", QString(), QString()},
    };
    for (const auto &c : cases) {
        const std::optional<QUrl> url = AddressBarRules::typedAddress(c.typed);
        EXPECT_EQ(url ? url->toString() : QString(), c.opened) << c.name;
    }
}

TEST(AddressBar, HistoryKeepsEachTypedAddressOnceInOrderOfFirstEntry)
{
    StatusLog log;
    AddressBarRules bar(log);
    const QString a = QStringLiteral("https://www.zorvane.com/");
    const QString b = QStringLiteral("http://detail.zorvane.com/offer/1.html");
    const QString aUpper = QStringLiteral("HTTPS://WWW.ZORVANE.COM/");
    for (const QString &typed : {a, b, a, aUpper, b, aUpper})
        EXPECT_TRUE(bar.urladress_KeyPress(typed).has_value());
    EXPECT_EQ(bar.history(), (QStringList{a, b, aUpper})) << "exact and case-sensitive";
    EXPECT_TRUE(log.text().isEmpty());
}

TEST(AddressBar, RefusedAddressIsLoggedAndStaysOutOfTheHistory)
{
    StatusLog log;
    AddressBarRules bar(log);
    EXPECT_FALSE(bar.urladress_KeyPress(QStringLiteral("file:///etc/passwd")).has_value());
    EXPECT_FALSE(bar.urladress_KeyPress(QStringLiteral("   ")).has_value());
    EXPECT_TRUE(bar.history().isEmpty());
    EXPECT_EQ(logMessages(log), QStringList{QStringLiteral("地址栏只能打开http或https网址,未打开:file:///etc/passwd")});
}
