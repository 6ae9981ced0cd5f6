#include "platform/net/web_address.h"

#include <QUrl>

#include <gtest/gtest.h>

TEST(WebAddress, OnlyHttpAndHttpsWithAHost)
{
    const struct
    {
        const char *name;
        QString text;
        bool web;
    } cases[] = {
        {"http", QStringLiteral("http://detail.zorvane.com/offer/1.html"), true},
        {"https", QStringLiteral("https://www.zorvane.com/"), true},
        {"scheme in capitals", QStringLiteral("HTTPS://WWW.ZORVANE.COM/"), true},
        {"address literal with port", QStringLiteral("http://127.0.0.1:8080/x.jpg"), true},
        {"http without a host", QStringLiteral("http://"), false},
        {"https without a host", QStringLiteral("https://"), false},
        {"path without a host", QStringLiteral("http:///plain.jpg"), false},
        {"no scheme", QStringLiteral("www.zorvane.com"), false},
        {"file", QStringLiteral("file:///etc/passwd"), false},
        {"ftp", QStringLiteral("ftp://example.org/"), false},
        {"script", QStringLiteral("javascript:alert(1)"), false},
        {"data", QStringLiteral("data:text/html,<b>x</b>"), false},
        {"blank page", QStringLiteral("about:blank"), false},
        {"invalid host", QStringLiteral("http://a b/"), false},
        {"empty", QString(), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isWebAddress(QUrl(c.text)), c.web) << c.name;
}

TEST(WebAddress, TextFromAListLineIsWorthLoadingOnlyWhenABrowserCouldReachIt)
{
    const struct
    {
        const char *name;
        QString text;
        bool web;
    } cases[] = {
        {"item page", QStringLiteral("http://detail.zorvane.com/offer/1.html"), true},
        {"typed without a scheme", QStringLiteral("detail.zorvane.com/offer/1.html"), true},
        {"scheme in capitals", QStringLiteral("HTTPS://Detail.Zorvane.com/offer/1.html"), true},
        {"blanks around", QStringLiteral("  http://detail.zorvane.com/offer/1.html "), true},
        {"address literal", QStringLiteral("http://127.0.0.1:8080/offer/1.html"), true},
        {"local host", QStringLiteral("http://localhost/offer/1.html"), true},
        {"the address box's header", QStringLiteral("宝贝url"), false},
        {"a word", QStringLiteral("offer"), false},
        {"a sentence", QStringLiteral("detail page of item 1"), false},
        {"file", QStringLiteral("file:///etc/passwd"), false},
        {"empty", QString(), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isWebAddressText(c.text), c.web) << c.name;
}
