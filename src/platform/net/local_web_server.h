#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace httplib { class Server; }

// A local web server: 127.0.0.1, a port the OS chose, answering from a table
// of routes that may be filled at any time (the port is known before any
// route is, so Chromium's host mapping can be set before the application
// starts). Requests are served on the server's own threads; the table is
// guarded. The demo marketplace and the tests serve their pages with it.
// Given a certificate, it answers https on a second port from the same table.
class LocalWebServer
{
public:
    struct Tls
    {
        QString certificateFile; // PEM, the chain up to the authority
        QString keyFile;
        // Or both in memory, PEM (a certificate this process made).
        QByteArray certificatePem;
        QByteArray keyPem;
    };
    struct Response
    {
        int status = 200;
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray body;
        QByteArray location;   // for redirects
        bool stall = false;    // hold the answer until releaseStalls() or shutdown
        int trickleMs = 0;     // send the body one byte at a time, this far apart
        int delayMs = 0;       // answer this much later
    };
    using Handler = std::function<Response(const std::string &host, const std::string &target)>;

    explicit LocalWebServer(const std::optional<Tls> &tls = std::nullopt);
    ~LocalWebServer();
    LocalWebServer(const LocalWebServer &) = delete;
    LocalWebServer &operator=(const LocalWebServer &) = delete;

    int port() const { return m_port; }
    // 0 without a certificate.
    int tlsPort() const { return m_tlsPort; }
    // Sites that moved to https: an http request for a host ending in
    // `domain` is answered with a 301 to the same address over https (an
    // empty domain: none).
    void moveToHttps(const QString &domain);
    // "http://127.0.0.1:PORT"
    QString base() const;

    // A route is a request target (path and query, as sent) and, optionally, a
    // host name in front of it: "shop.zorvane.com/page/x.htm". A route with a
    // host wins over one without.
    void route(const QString &target, const Response &response);
    void route(const QString &target, Handler handler);
    void clear();

    // Number of requests seen for a target (any host).
    int hits(const QString &target) const;
    // Answers every request held so far; later ones stall again.
    void releaseStalls();

    static Response page(const QString &html);
    static Response bytes(const QByteArray &body, const QByteArray &contentType);
    static Response status(int code, const QByteArray &body = QByteArray());

private:
    struct Listener
    {
        std::unique_ptr<httplib::Server> server;
        std::thread thread;
    };
    int listen(Listener &listener, bool secure);
    static std::unique_ptr<httplib::Server> serverWith(const QByteArray &certificatePem, const QByteArray &keyPem);
    Response answer(const std::string &host, const std::string &target);
    bool movedToHttps(const std::string &host) const;

    Listener m_plain;
    Listener m_secure;
    int m_port = 0;
    int m_tlsPort = 0;
    std::string m_movedDomain; // guarded by m_mutex
    mutable std::mutex m_mutex;
    std::condition_variable m_stallReleased;
    unsigned m_releases = 0;
    bool m_stopping = false;
    std::map<std::string, Handler> m_routes;
    std::map<std::string, int> m_hits;
};
