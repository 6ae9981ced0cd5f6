#include "platform/net/http_fetcher.h"

#include "platform/net/web_address.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

HttpFetcher::HttpFetcher(QObject *parent)
    : HttpFetcher(Limits{}, parent)
{
}

HttpFetcher::HttpFetcher(const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
{
    m_network.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (!m_reply)
            return;
        m_timedOut = true;
        m_reply->abort();
    });
}

HttpFetcher::~HttpFetcher()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
    if (m_file)
        m_file->cancelWriting();
}

void HttpFetcher::FetchToFile(const QString &address, const QString &filePath,
                              std::function<void(const FetchResult &)> done)
{
    // Busy until the failure is told, so that no one hands this fetcher
    // another transfer or deletes it before the caller hears back.
    const auto failLater = [this, &done](const QString &error, bool fileError = false) {
        FetchResult result;
        result.error = error;
        result.fileError = fileError;
        ++m_owed;
        QTimer::singleShot(0, this, [this, round = m_round, done = std::move(done), result] {
            if (round != m_round)
                return; // cancelled meanwhile
            --m_owed;
            done(result);
        });
    };
    if (isBusy()) {
        failLater(QStringLiteral("another transfer is running"));
        return;
    }
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    if (!isWebAddress(url)) {
        failLater(QStringLiteral("not a web address: ") + address);
        return;
    }
    auto file = std::make_unique<QSaveFile>(filePath);
    // Unbuffered: a short write on a full disk must show in write()'s result.
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        failLater(file->errorString(), true);
        return;
    }

    QNetworkRequest request(url);
    request.setTransferTimeout(m_limits.transferTimeoutMs);
    request.setMaximumRedirectsAllowed(m_limits.maxRedirects);
    m_file = std::move(file);
    m_done = std::move(done);
    m_written = 0;
    m_writeError.clear();
    m_fileError = false;
    m_timedOut = false;
    m_deadline.start(m_limits.wholeTransferTimeoutMs);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpFetcher::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpFetcher::onFinished);
}

void HttpFetcher::cancel()
{
    ++m_round;
    m_owed = 0;
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
    m_file->cancelWriting();
    m_file.reset();
    m_done = nullptr;
    m_deadline.stop();
}

void HttpFetcher::onReadyRead()
{
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        m_reply->readAll(); // an error page is never kept
        return;
    }
    const QByteArray chunk = m_reply->readAll();
    m_written += chunk.size();
    if (m_written > m_limits.maxBytes) {
        m_writeError = QStringLiteral("larger than %1 bytes").arg(m_limits.maxBytes);
        m_reply->abort();
        return;
    }
    if (m_file->write(chunk) != chunk.size()) {
        m_writeError = m_file->errorString();
        m_fileError = true;
        m_reply->abort();
    }
}

void HttpFetcher::onFinished()
{
    QNetworkReply *reply = m_reply;
    reply->deleteLater();
    if (reply->bytesAvailable() > 0 && reply->error() == QNetworkReply::NoError)
        onReadyRead();

    FetchResult result;
    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    result.bytes = m_written;
    if (!m_writeError.isEmpty())
        result.error = m_writeError;
    else if (m_timedOut)
        result.error = QStringLiteral("not complete after %1 ms").arg(m_limits.wholeTransferTimeoutMs);
    else if (reply->error() != QNetworkReply::NoError)
        result.error = reply->errorString();
    else if (result.httpStatus < 200 || result.httpStatus > 299)
        result.error = QStringLiteral("HTTP status %1").arg(result.httpStatus);
    else if (!m_file->commit()) {
        result.error = m_file->errorString();
        m_fileError = true;
    } else {
        result.ok = true;
    }
    result.fileError = m_fileError;
    if (!result.ok) {
        m_file->cancelWriting();
        result.bytes = 0;
    }
    complete(result);
}

void HttpFetcher::complete(const FetchResult &result)
{
    m_deadline.stop();
    m_reply = nullptr;
    m_file.reset();
    auto done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result);
}
