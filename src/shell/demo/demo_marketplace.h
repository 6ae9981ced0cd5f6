#pragma once

#include "platform/local_web_server.h"

#include <QString>
#include <QStringList>

// A small copy of the marketplace on this machine, for trying the program
// without the internet: a home page, item detail pages whose description
// pictures arrive only after scrolling, and a shop whose offer list spans two
// pages. The server listens from construction on, so its port can go into
// Chromium's host mapping before the application exists; the pages are made
// by serve(), which needs the application (pictures are encoded with QtGui).
class DemoMarketplace
{
public:
    static constexpr int DefaultItems = 6;

    DemoMarketplace() = default;

    int port() const { return m_server.port(); }
    // "MAP *.zorvane.com 127.0.0.1:PORT", for --host-resolver-rules.
    QString hostRule() const;
    static QString homePage();
    static QString shopAddress();

    void serve(int items = DefaultItems);
    // The detail addresses served, in shop order.
    QStringList itemAddresses() const { return m_items; }

private:
    LocalWebServer m_server;
    QStringList m_items;
};
