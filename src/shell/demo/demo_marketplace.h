#pragma once

#include "platform/net/local_web_server.h"
#include "platform/net/self_signed_certificate.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

// A small copy of the marketplace on this machine, for trying the program
// without the internet: a home page, item detail pages whose description
// pictures arrive only after scrolling, and a shop whose offer list spans two
// pages, over http and https as the marketplace answers. The server listens
// from construction on, so its ports can go into Chromium's host mapping
// before the application exists; the pages are made by serve(), which needs
// the application (pictures are encoded with QtGui).
//
// Its https answers with a certificate made for this run; the embedded
// browser accepts that certificate (its key's pin) and no other: nothing is
// trusted outside a demo, nor by the desktop.
class DemoMarketplace
{
public:
    static constexpr int DefaultItems = 6;

    DemoMarketplace();

    int port() const { return m_server.port(); }
    // 0 when no certificate could be made: the demo then answers http only.
    int tlsPort() const { return m_server.tlsPort(); }
    // For Chromium: the marketplace's hosts mapped to the server's ports,
    // and the pin of this run's certificate.
    std::vector<std::string> chromiumFlags() const;
    static QString homePage();
    static QString shopAddress();

    void serve(int items = DefaultItems);
    // The detail addresses served, in shop order.
    QStringList itemAddresses() const { return m_items; }

private:
    std::optional<SelfSignedCertificate> m_certificate;
    LocalWebServer m_server;
    QStringList m_items;
};
