#include "platform/net/local_web_server.h"

#include <httplib.h>
#include <openssl/pem.h>

#include <chrono>

LocalWebServer::LocalWebServer(const std::optional<Tls> &tls)
{
    m_plain.server = std::make_unique<httplib::Server>();
    m_port = listen(m_plain, false);
    if (tls) {
        m_secure.server = tls->certificatePem.isEmpty() ? std::make_unique<httplib::SSLServer>(
                                                              tls->certificateFile.toLocal8Bit().constData(),
                                                              tls->keyFile.toLocal8Bit().constData())
                                                        : serverWith(tls->certificatePem, tls->keyPem);
        // A certificate the library refused leaves the server without https.
        if (m_secure.server && m_secure.server->is_valid())
            m_tlsPort = listen(m_secure, true);
        else
            m_secure.server.reset();
    }
}

std::unique_ptr<httplib::Server> LocalWebServer::serverWith(const QByteArray &certificatePem, const QByteArray &keyPem)
{
    BIO *certificateText = BIO_new_mem_buf(certificatePem.constData(), int(certificatePem.size()));
    BIO *keyText = BIO_new_mem_buf(keyPem.constData(), int(keyPem.size()));
    X509 *certificate = certificateText ? PEM_read_bio_X509(certificateText, nullptr, nullptr, nullptr) : nullptr;
    EVP_PKEY *key = keyText ? PEM_read_bio_PrivateKey(keyText, nullptr, nullptr, nullptr) : nullptr;
    // The server's context keeps references of its own.
    std::unique_ptr<httplib::Server> server;
    if (certificate && key)
        server = std::make_unique<httplib::SSLServer>(certificate, key);
    X509_free(certificate);
    EVP_PKEY_free(key);
    BIO_free(certificateText);
    BIO_free(keyText);
    return server;
}

int LocalWebServer::listen(Listener &listener, bool secure)
{
    httplib::Server &server = *listener.server;
    // Every kept-alive connection holds a thread: a browser and several
    // fetchers at once need more than the default eight.
    server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    // An idle kept-alive connection holds its thread this long, and stopping
    // the server waits for it (the library's five seconds made every stop slow).
    server.set_keep_alive_timeout(1);
    server.Get(".*", [this, secure](const httplib::Request &request, httplib::Response &response) {
        const std::string hostHeader = request.get_header_value("Host");
        std::string host = hostHeader;
        if (const auto colon = host.find(':'); colon != std::string::npos)
            host.resize(colon);
        if (!secure && movedToHttps(host)) {
            response.status = 301;
            response.set_header("Location", "https://" + host + request.target);
            return;
        }
        const Response r = answer(host, request.target);
        response.status = r.status;
        if (!r.location.isEmpty())
            response.set_header("Location", r.location.toStdString());
        if (r.trickleMs > 0) {
            const std::string body(r.body.constData(), size_t(r.body.size()));
            const int pause = r.trickleMs;
            response.set_content_provider(body.size(), r.contentType.toStdString(),
                                          [body, pause](size_t offset, size_t, httplib::DataSink &sink) {
                                              std::this_thread::sleep_for(std::chrono::milliseconds(pause));
                                              return sink.write(body.data() + offset, 1);
                                          });
            return;
        }
        response.set_content(std::string(r.body.constData(), size_t(r.body.size())), r.contentType.toStdString());
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    listener.thread = std::thread([&server] { server.listen_after_bind(); });
    // stop() before the accept loop runs would be missed and join() would hang.
    while (!server.is_running())
        std::this_thread::yield();
    return port;
}

void LocalWebServer::moveToHttps(const QString &domain)
{
    std::lock_guard lock(m_mutex);
    m_movedDomain = domain.toStdString();
}

bool LocalWebServer::movedToHttps(const std::string &host) const
{
    std::lock_guard lock(m_mutex);
    return !m_movedDomain.empty() && host.size() >= m_movedDomain.size()
        && host.compare(host.size() - m_movedDomain.size(), m_movedDomain.size(), m_movedDomain) == 0;
}

LocalWebServer::~LocalWebServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    releaseStalls();
    for (Listener *listener : {&m_plain, &m_secure}) {
        if (!listener->server)
            continue;
        listener->server->stop();
        listener->thread.join();
    }
}

QString LocalWebServer::base() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void LocalWebServer::route(const QString &target, const Response &response)
{
    route(target, [response](const std::string &, const std::string &) { return response; });
}

void LocalWebServer::route(const QString &target, Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_routes[target.toStdString()] = std::move(handler);
}

void LocalWebServer::clear()
{
    std::lock_guard lock(m_mutex);
    m_routes.clear();
    m_hits.clear();
}

int LocalWebServer::hits(const QString &target) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_hits.find(target.toStdString());
    return it == m_hits.end() ? 0 : it->second;
}

void LocalWebServer::releaseStalls()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_releases;
    }
    m_stallReleased.notify_all();
}

LocalWebServer::Response LocalWebServer::answer(const std::string &host, const std::string &target)
{
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        ++m_hits[target];
        auto it = m_routes.find(host + target);
        if (it == m_routes.end())
            it = m_routes.find(target);
        if (it == m_routes.end())
            return status(404, "<html><body>404 Not Found</body></html>");
        handler = it->second;
    }
    Response r = handler(host, target);
    if (r.delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(r.delayMs));
    if (r.stall) {
        // Held until released; bounded so a forgotten release cannot hang the server.
        std::unique_lock lock(m_mutex);
        const unsigned held = m_releases;
        m_stallReleased.wait_for(lock, std::chrono::seconds(60),
                                 [this, held] { return m_stopping || m_releases != held; });
    }
    return r;
}

LocalWebServer::Response LocalWebServer::page(const QString &html)
{
    Response r;
    r.body = html.toUtf8();
    return r;
}

LocalWebServer::Response LocalWebServer::bytes(const QByteArray &body, const QByteArray &contentType)
{
    Response r;
    r.body = body;
    r.contentType = contentType;
    return r;
}

LocalWebServer::Response LocalWebServer::status(int code, const QByteArray &body)
{
    Response r;
    r.status = code;
    r.body = body;
    return r;
}
