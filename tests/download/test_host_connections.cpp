#include "download/host_connections.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(HostConnections, NoMoreThanABrowsersShareOfTransfersPerHostAcrossEveryDownload)
{
    HostConnections hosts;
    QSignalSpy freed(&hosts, &HostConnections::freed);
    const QString a = QStringLiteral("http://img.zorvane.com/p/%1.jpg");
    for (int n = 1; n <= HostConnections::PerHost; ++n)
        ASSERT_TRUE(hosts.take(a.arg(n))) << n;
    EXPECT_EQ(HostConnections::PerHost, 6);
    // The same host however the address writes it: case, the default port.
    EXPECT_FALSE(hosts.take(QStringLiteral("http://IMG.Zorvane.com:80/other.jpg")));
    EXPECT_FALSE(hosts.take(QStringLiteral("img.zorvane.com/typed.jpg")));
    EXPECT_EQ(hosts.inUse(a.arg(99)), HostConnections::PerHost);
    // Another host, or the same host over https or on another port, counts apart.
    EXPECT_TRUE(hosts.take(QStringLiteral("http://cdn.zorvane.com/1.jpg")));
    EXPECT_TRUE(hosts.take(QStringLiteral("https://img.zorvane.com/1.jpg")));
    EXPECT_TRUE(hosts.take(QStringLiteral("http://img.zorvane.com:8080/1.jpg")));

    // A transfer that ends makes room for one more, and says so.
    hosts.giveBack(a.arg(1));
    EXPECT_EQ(freed.size(), 1);
    EXPECT_TRUE(hosts.take(a.arg(7)));
    EXPECT_FALSE(hosts.take(a.arg(8)));
    // Giving back what was never taken leaves the counts alone.
    hosts.giveBack(QStringLiteral("http://never.zorvane.com/x.jpg"));
    EXPECT_EQ(hosts.inUse(QStringLiteral("http://never.zorvane.com/y.jpg")), 0);
    EXPECT_EQ(hosts.inUse(a.arg(1)), HostConnections::PerHost);
}
