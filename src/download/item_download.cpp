#include "download/item_download.h"

#include "collection/item_record.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "download/info_file.h"
#include "download/picture_probe.h"
#include "download/unique_folder.h"
#include "lists/downloaded_search.h"
#include "lists/item_lines.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/http_fetcher.h"
#include "platform/text_file.h"
#include "shell/settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {
const QString Sep = QStringLiteral("/");
}

QString pictureExtension(const QString &address)
{
    QString extension = address.right(4);
    extension.remove(QLatin1Char('/'));
    extension.remove(QLatin1Char('\\'));
    extension.remove(QChar(0));
    return extension;
}

bool isPlainlyNoPicture(const QByteArray &contentType, const QByteArray &head)
{
    if (contentType.trimmed().toLower().startsWith("text/"))
        return true;
    QByteArray start = head;
    if (start.startsWith("\xEF\xBB\xBF"))
        start.remove(0, 3);
    return start.trimmed().startsWith('<');
}

ItemDownload::ItemDownload(const Services &services, QObject *parent)
    : QObject(parent)
    , m_s(services)
{
}

void ItemDownload::logItem(const QString &text)
{
    const ItemRecord &item = m_s.records.record(m_slot);
    m_s.log.AddMesg(item.PickItemNo + text + item.PickUrl);
}

void ItemDownload::DownloadItemImages(int slot)
{
    if (m_running)
        return;
    m_running = true;
    m_slot = slot;
    m_failedMain = m_failedDesc = 0;
    ItemRecord &item = m_s.records.record(slot);

    const QString output = m_s.settings.LoadConfigValue(QStringLiteral("PicOutPutPath"));
    m_title = CleanName(item.PickTitle);
    m_itemFolder.clear();
    m_mainFolder.clear();
    m_descFolder.clear();
    if (output.isEmpty()) {
        // Without this the folder would land under the file system's root.
        fail(QStringLiteral("未设定图片保存目录,请点击\"保存目录\"选择保存目录"));
        return;
    }
    QString error;
    m_itemFolder = MakeUniqueFolder(output + Sep + fitFolderName(m_title), 0, &error);
    if (!m_itemFolder.isEmpty())
        m_mainFolder = MakeUniqueFolder(m_itemFolder + Sep + QStringLiteral("主图"), 0, &error);
    if (!m_itemFolder.isEmpty() && !m_mainFolder.isEmpty())
        m_descFolder = MakeUniqueFolder(m_itemFolder + Sep + QStringLiteral("描述图"), 0, &error);
    if (m_itemFolder.isEmpty() || m_mainFolder.isEmpty() || m_descFolder.isEmpty()) {
        fail(QStringLiteral("无法在保存目录") + output + QStringLiteral("中创建宝贝目录,原因:") + error);
        return;
    }

    m_main = item.MainImgList;
    m_desc = item.DescImgList;
    logItem(QStringLiteral("采集中:开始下载主图_"));
    m_next = 0;
    fetchNextMain();
}

void ItemDownload::fetchNextMain()
{
    if (m_next >= m_main.size()) {
        logItem(QStringLiteral("采集中:主图下载完成_"));
        m_kept = 0;
        logItem(QStringLiteral("采集中:开始下载描述图_"));
        m_next = 0;
        fetchNextDesc();
        return;
    }
    const QString &address = m_main.at(m_next);
    const QString target = m_mainFolder + Sep + QStringLiteral("主图") + QString::number(m_next + 1)
        + pictureExtension(address);
    m_s.fetcher.FetchToFile(address, target, [this, target](const FetchResult &result) {
        onMainFetched(result, target);
    });
}

void ItemDownload::onMainFetched(const FetchResult &result, const QString &target)
{
    if (result.fileError) {
        failOnFile(result);
        return;
    }
    if (!result.ok) {
        ++m_failedMain;
    } else {
        QFile file(target);
        const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(512) : QByteArray();
        file.close();
        if (isPlainlyNoPicture(result.contentType, head)) {
            QFile::remove(target);
            ++m_failedMain;
        }
    }
    ++m_next;
    fetchNextMain();
}

void ItemDownload::fetchNextDesc()
{
    if (m_next >= m_desc.size()) {
        finish();
        return;
    }
    const QString &address = m_desc.at(m_next);
    ++m_kept;
    const QString target = m_descFolder + Sep + QStringLiteral("描述图") + QString::number(m_kept)
        + pictureExtension(address);
    m_s.fetcher.FetchToFile(address, target, [this, target](const FetchResult &result) {
        onDescFetched(result, target);
    });
}

void ItemDownload::onDescFetched(const FetchResult &result, const QString &target)
{
    if (result.fileError) {
        failOnFile(result);
        return;
    }
    // A picture that could not be fetched is skipped like a non-picture: the
    // pictures after it are still worth having.
    if (!result.ok) {
        ++m_failedDesc;
        --m_kept;
    } else {
        const std::optional<int> width = m_s.probe.pictureWidth(target);
        if (!width || *width < MinDescWidth) {
            QFile::remove(target);
            --m_kept; // the next kept picture takes the freed number
        }
    }
    ++m_next;
    fetchNextDesc();
}

void ItemDownload::finish()
{
    ItemRecord &item = m_s.records.record(m_slot);
    logItem(QStringLiteral("采集中:描述图下载完成_"));
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    QString error;
    if (!writeLocalTextFile(m_itemFolder + Sep + InfoFileName,
                            infoFileText(item, m_title, QDateTime::currentDateTime()), &error)) {
        fail(InfoFileName + QStringLiteral("写入失败,原因:") + error);
        return;
    }
    m_s.lists.AlreadyDownedList().append(
        DownloadedLine{item.PickItemNo, m_title, m_itemFolder, item.PickUrl}.toString());
    m_s.records.setPickBusy(m_slot, false);
    ClearCollection(item.AttrList);
    m_s.listFile.SaveLists();
    m_s.search.FindADLSub();
    const int failed = m_failedMain + m_failedDesc;
    if (failed > 0)
        logItem(QStringLiteral("采集中:有%1张图片未能下载(主图%2张,描述图%3张)_")
                    .arg(failed)
                    .arg(m_failedMain)
                    .arg(m_failedDesc));
    logItem(QStringLiteral("采集中:采集成功!选中已下载项，双击查看下集结果!_"));
    m_running = false;
    emit finished(m_slot);
}

void ItemDownload::failOnFile(const FetchResult &result)
{
    fail(QStringLiteral("保存目录无法写入(磁盘空间不足或没有写入权限),原因:") + result.error);
}

void ItemDownload::fail(const QString &reason)
{
    // Half an item is no use: what this call made goes, so that the next
    // attempt is not mistaken for a second copy.
    if (!m_itemFolder.isEmpty())
        QDir(m_itemFolder).removeRecursively();
    ItemRecord &item = m_s.records.record(m_slot);
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);
    m_running = false;
    emit failed(m_slot, reason);
}
