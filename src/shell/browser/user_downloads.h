#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class StatusLog;

// Files the user downloads from a tab's page go to the user's download
// folder under a name that is free there, with a log line when the download
// starts and when it ends. Downloads asked for by any other page (the
// collector's, which only reads pages) are refused.
class UserDownloads : public QObject
{
    Q_OBJECT
public:
    UserDownloads(QWebEngineProfile *profile, const QString &folder, StatusLog &log,
                  std::function<bool(const QWebEnginePage *)> isTabPage, QObject *parent = nullptr);

    // `name`, or "name (n).ext" with the smallest n for which no file exists
    // and none is being downloaded.
    static QString freeFileName(const QString &folder, const QString &name, const QSet<QString> &taken = {});

private:
    void onRequested(QWebEngineDownloadRequest *request);
    void onStateChanged(QWebEngineDownloadRequest *request, const QString &path);

    QString m_folder;
    StatusLog &m_log;
    std::function<bool(const QWebEnginePage *)> m_isTabPage;
    QSet<QString> m_inProgress; // paths
};
