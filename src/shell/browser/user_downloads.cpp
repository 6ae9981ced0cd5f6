#include "shell/browser/user_downloads.h"

#include "collection/status_log.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

namespace {

using Request = QWebEngineDownloadRequest;

// Chromium's reasons are English: the log says them in Chinese.
QString reasonText(Request::DownloadInterruptReason reason)
{
    switch (reason) {
    case Request::FileNoSpace:
        return QStringLiteral("磁盘空间不足");
    case Request::FileAccessDenied:
        return QStringLiteral("没有写入权限");
    case Request::UserCanceled:
        return QStringLiteral("已取消");
    default:
        break;
    }
    if (reason >= Request::NetworkFailed && reason < Request::ServerFailed)
        return QStringLiteral("网络错误");
    if (reason >= Request::ServerFailed && reason < Request::UserCanceled)
        return QStringLiteral("服务器错误");
    return QStringLiteral("无法写入文件");
}

} // namespace

UserDownloads::UserDownloads(QWebEngineProfile *profile, const QString &folder, StatusLog &log,
                             std::function<bool(const QWebEnginePage *)> isTabPage, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_log(log)
    , m_isTabPage(std::move(isTabPage))
{
    connect(profile, &QWebEngineProfile::downloadRequested, this, &UserDownloads::onRequested);
}

QString UserDownloads::freeFileName(const QString &folder, const QString &name, const QSet<QString> &taken)
{
    const QDir dir(folder);
    const QFileInfo info(name);
    const QString base = info.completeBaseName().isEmpty() ? name : info.completeBaseName();
    const QString suffix = info.completeBaseName().isEmpty() || info.suffix().isEmpty()
                               ? QString()
                               : QLatin1Char('.') + info.completeSuffix();
    QString candidate = name;
    for (int n = 1; QFileInfo::exists(dir.filePath(candidate)) || taken.contains(dir.filePath(candidate)); ++n)
        candidate = base + QStringLiteral(" (%1)").arg(n) + suffix;
    return candidate;
}

void UserDownloads::onRequested(QWebEngineDownloadRequest *request)
{
    // Not accepted is refused: Chromium drops the download.
    if (!m_isTabPage(request->page()))
        return;
    if (!QDir().mkpath(m_folder)) {
        m_log.AddMesg(QStringLiteral("文件下载失败,原因:无法创建下载目录") + m_folder);
        return;
    }
    const QString name = freeFileName(m_folder, request->downloadFileName(), m_inProgress);
    const QString path = QDir(m_folder).filePath(name);
    request->setDownloadDirectory(m_folder);
    request->setDownloadFileName(name);
    m_inProgress.insert(path);
    connect(request, &Request::stateChanged, this, [this, request, path] { onStateChanged(request, path); });
    request->accept();
    m_log.AddMesg(QStringLiteral("开始下载文件:") + path);
}

void UserDownloads::onStateChanged(QWebEngineDownloadRequest *request, const QString &path)
{
    switch (request->state()) {
    case Request::DownloadCompleted:
        m_log.AddMesg(QStringLiteral("文件下载完成:") + path);
        break;
    case Request::DownloadCancelled:
        m_log.AddMesg(QStringLiteral("文件下载已取消:") + path);
        break;
    case Request::DownloadInterrupted:
        m_log.AddMesg(QStringLiteral("文件下载失败:") + path + QStringLiteral(",原因:")
                      + reasonText(request->interruptReason()));
        break;
    default:
        return;
    }
    m_inProgress.remove(path);
}
