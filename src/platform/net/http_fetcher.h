#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include <QNetworkReply>
#include <QTimer>
class QSaveFile;

struct FetchResult
{
    bool ok = false;         // the file now holds the whole body of a 2xx answer
    bool fileError = false;  // the body could not be written: the folder is full or unwritable
    int httpStatus = 0;      // 0 when no answer came
    qint64 bytes = 0;
    QByteArray contentType;  // as the server declared it
    QString error;           // why it failed, for diagnostics
};

// Fetches one address into one file, one transfer at a time, over one
// connection-reusing QNetworkAccessManager. The body goes to a temporary file
// that is renamed into place only when it arrived whole with a 2xx status: a
// broken, refused, oversized or timed-out transfer leaves no file at all.
class HttpFetcher : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int transferTimeoutMs = 30000;       // without a byte for this long, the transfer ends
        qint64 maxBytes = 64 * 1024 * 1024;  // no single picture is bigger
        int maxRedirects = 10;
        int wholeTransferTimeoutMs = 120000; // however it trickles, a transfer ends after this
    };

    explicit HttpFetcher(QObject *parent = nullptr);
    HttpFetcher(const Limits &limits, QObject *parent = nullptr);
    ~HttpFetcher() override;

    // done is called once, from the event loop, unless the fetcher is destroyed first.
    // A call while a transfer runs fails at once: callers fetch one after another.
    // Addresses are read as a browser reads them (blanks and the like are
    // escaped); only http and https are fetched.
    void FetchToFile(const QString &address, const QString &filePath,
                     std::function<void(const FetchResult &)> done);
    const Limits &limits() const { return m_limits; }
    // A transfer runs, or a failure is still to be told.
    bool isBusy() const { return m_reply != nullptr || m_owed > 0; }
    // Ends the transfer under way, or a failure not yet told, without calling back; its file is not kept.
    void cancel();

private:
    void onReadyRead();
    void onFinished();
    void complete(const FetchResult &result);

    Limits m_limits;
    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_file;
    std::function<void(const FetchResult &)> m_done;
    QTimer m_deadline;
    qint64 m_written = 0;
    QString m_writeError;
    bool m_fileError = false;
    bool m_timedOut = false;
    int m_owed = 0;      // failures told from the event loop, not yet told
    quint64 m_round = 0; // a cancel drops the failures owed before it
};
