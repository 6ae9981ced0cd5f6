#include "download/item_download.h"

#include "collection/item_record.h"
#include "collection/marketplace.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "download/host_connections.h"
#include "download/info_file.h"
#include "download/picture_files.h"
#include "download/picture_probe.h"
#include "download/save_folder.h"
#include "download/staged_folder.h"
#include "download/unique_folder.h"
#include "lists/downloaded_search.h"
#include "lists/item_lines.h"
#include "lists/list_store.h"
#include "platform/net/http_fetcher.h"
#include "platform/files/text_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>

namespace {
const QString Sep = QStringLiteral("/");
}

ItemDownload::ItemDownload(const Services &services, QObject *parent)
    : QObject(parent)
    , m_s(services)
    , m_pool(m_s.fetcher, m_s.hosts, this)
{
    if (m_s.hosts) {
        // Later: a transfer that ends calls back before it is counted out.
        connect(m_s.hosts, &HostConnections::freed, this, &ItemDownload::resume, Qt::QueuedConnection);
    }
}

QString ItemDownload::folderNameOf(const QString &pickTitle)
{
    return fitFolderName(CleanName(pickTitle));
}

bool ItemDownload::isOrphanCopy(const QString &folder, const QString &itemNo, const QString &address) const
{
    const std::optional<QString> text = readLocalTextFile(folder + Sep + InfoFileName);
    const std::optional<InfoFile> info = text ? parseInfoFile(*text) : std::nullopt;
    if (!info || info->itemNo != itemNo || Marketplace::pageKey(info->address) != Marketplace::pageKey(address))
        return false;
    const QString path = QDir::cleanPath(folder);
    const QStringList downloaded = m_s.lists.AlreadyDownedList().entries();
    return std::none_of(downloaded.cbegin(), downloaded.cend(), [&path](const QString &line) {
        return QDir::cleanPath(DownloadedLine::parse(line).folder) == path;
    });
}

ItemDownload::~ItemDownload()
{
    m_pool.cancel();
}

void ItemDownload::setConnections(int connections)
{
    m_pool.resize(std::clamp(connections, 1, MaxConnections));
}

void ItemDownload::prefetch(const QStringList &addresses)
{
    if (m_pool.size() < 2 || m_running || m_halted)
        return;
    m_prefetch.want(addresses);
    pumpPrefetch();
}

void ItemDownload::dropPrefetched()
{
    if (m_running)
        return;
    m_pool.cancel();
    m_prefetch.clear();
}

void ItemDownload::pumpPrefetch()
{
    while (m_pool.hasIdle()) {
        const QString upNext = m_prefetch.upNext();
        if (upNext.isEmpty() || m_pool.hostFull(upNext))
            return;
        const auto next = m_prefetch.next();
        if (!next)
            return;
        const QString address = next->first;
        m_pool.fetch(address, next->second, [this, address](const FetchResult &result) {
            m_prefetch.arrived(address, result);
            m_queue.aheadEnded(address);
            resume();
        });
    }
}

void ItemDownload::resume()
{
    if (m_running)
        advance();
    else
        pumpPrefetch();
}

void ItemDownload::logItem(const QString &text)
{
    const ItemRecord &item = m_s.records.record(m_slot);
    m_s.log.AddItemMesg(item.PickItemNo, text, item.PickUrl);
}

void ItemDownload::DownloadItemImages(int slot, bool mayTakeOver)
{
    if (m_running || m_halted)
        return;
    m_running = true;
    m_slot = slot;
    m_failedMain = m_failedDesc = m_savedMain = 0;
    m_firstFailure.clear();
    m_anyAnswer = false;
    ItemRecord &item = m_s.records.record(slot);

    const QString output = m_s.saveFolder.saveFolder();
    m_title = CleanName(item.PickTitle);
    m_itemFolder.clear();
    m_mainFolder.clear();
    m_descFolder.clear();
    if (output.isEmpty()) {
        // Without this the folder would land under the file system's root.
        fail(QStringLiteral("未设定图片保存目录,请点击\"保存目录\"选择保存目录"));
        return;
    }
    // Set before the setting refused such folders: every line it went into would be unreadable.
    if (const std::optional<QString> why = SaveFolder::refusal(output)) {
        fail(*why);
        return;
    }
    QString error;
    const QString itemNo = item.PickItemNo, address = item.PickUrl;
    const StagedFolder::IsOrphanCopy orphan = [this, itemNo, address](const QString &folder) {
        return isOrphanCopy(folder, itemNo, address);
    };
    if (m_folder.stage(output + Sep + folderNameOf(item.PickTitle), mayTakeOver ? orphan : nullptr, &error))
        m_itemFolder = m_folder.stagingPath();
    if (!m_itemFolder.isEmpty())
        m_mainFolder = MakeUniqueFolder(m_itemFolder + Sep + QStringLiteral("主图"), 0, &error);
    if (!m_itemFolder.isEmpty() && !m_mainFolder.isEmpty())
        m_descFolder = MakeUniqueFolder(m_itemFolder + Sep + QStringLiteral("描述图"), 0, &error);
    if (m_itemFolder.isEmpty() || m_mainFolder.isEmpty() || m_descFolder.isEmpty()) {
        fail(QStringLiteral("无法在保存目录") + output + QStringLiteral("中创建宝贝目录,原因:") + error);
        return;
    }

    m_done = 0;
    m_total = int(item.MainImgList.size() + item.DescImgList.size());
    emit picturesProgressed(m_done, m_total);
    logItem(QStringLiteral("采集中:开始下载主图_"));
    startMain();
    advance();
}

void ItemDownload::startMain()
{
    m_inDesc = false;
    QList<PictureQueue::Picture> pictures;
    const QStringList &main = m_s.records.record(m_slot).MainImgList;
    for (qsizetype i = 0; i < main.size(); ++i)
        pictures.append({main.at(i),
                         m_mainFolder + Sep + QStringLiteral("主图") + QString::number(i + 1) + pictureExtension(main.at(i)),
                         std::nullopt});
    startList(pictures);
}

void ItemDownload::startDesc()
{
    m_inDesc = true;
    m_kept = 0;
    // A description picture's number depends on the pictures kept before it:
    // each arrives under a name of its own and is named once its turn comes.
    QList<PictureQueue::Picture> pictures;
    const QStringList &desc = m_s.records.record(m_slot).DescImgList;
    for (qsizetype j = 0; j < desc.size(); ++j)
        pictures.append({desc.at(j), m_descFolder + Sep + QStringLiteral(".下载中") + QString::number(j + 1), std::nullopt});
    startList(pictures);
}

void ItemDownload::startList(const QList<PictureQueue::Picture> &pictures)
{
    m_queue.reset(pictures);
    ++m_list;
}

void ItemDownload::advance()
{
    while (m_running) {
        while (const std::optional<PictureQueue::Picture> next = m_queue.nextToSettle()) {
            if (!settle(*next))
                return;
        }
        if (m_queue.allSettled()) {
            if (m_inDesc) {
                finish();
                return;
            }
            logItem(QStringLiteral("采集中:主图下载完成_"));
            logItem(QStringLiteral("采集中:开始下载描述图_"));
            startDesc();
        } else if (!startPictures()) {
            return; // the pictures under way come back through arrive()
        }
    }
}

bool ItemDownload::startPictures()
{
    bool taken = false;
    while (const std::optional<int> next = m_queue.nextToStart()) {
        const PictureQueue::Picture &picture = m_queue.at(*next);
        if (m_prefetch.isOnItsWay(picture.address)) {
            m_queue.waitForAhead(*next); // rather than ask twice; back once the fetch ahead ends
            continue;
        }
        if (const std::optional<FetchResult> ready = m_prefetch.take(picture.address, picture.file)) {
            arrive(*next, *ready);
            taken = true;
            continue;
        }
        const auto done = [this, list = m_list, index = *next](const FetchResult &result) {
            if (m_running && list == m_list) {
                arrive(index, result);
                advance();
            }
        };
        if (!m_pool.fetch(picture.address, picture.file, done))
            break;
        m_queue.started(*next);
    }
    return taken;
}

void ItemDownload::arrive(int picture, const FetchResult &result)
{
    m_queue.arrived(picture, result);
    m_anyAnswer = m_anyAnswer || result.ok || result.httpStatus > 0;
    emit picturesProgressed(++m_done, m_total);
}

bool ItemDownload::settle(const PictureQueue::Picture &picture)
{
    if (picture.result->fileError) {
        fail(QStringLiteral("保存目录无法写入(磁盘空间不足或没有写入权限),原因:") + picture.result->error);
        return false;
    }
    return m_inDesc ? settleDesc(picture) : settleMain(picture);
}

void ItemDownload::noteFailure(const FetchResult &result)
{
    if (!m_firstFailure.isEmpty())
        return;
    m_firstFailure = result.httpStatus > 0 ? QStringLiteral("图片服务器回答%1").arg(result.httpStatus)
        : result.ok                        ? QStringLiteral("图片服务器送来的不是图片")
                                           : QStringLiteral("无法连接图片服务器或超时");
}

bool ItemDownload::settleMain(const PictureQueue::Picture &picture)
{
    if (!picture.result->ok) {
        ++m_failedMain;
        noteFailure(*picture.result);
        return true;
    }
    QFile file(picture.file);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(512) : QByteArray();
    file.close();
    if (isPlainlyNoPicture(picture.result->contentType, head)) {
        QFile::remove(picture.file);
        ++m_failedMain;
        noteFailure(*picture.result);
        return true;
    }
    ++m_savedMain;
    return true;
}

bool ItemDownload::settleDesc(const PictureQueue::Picture &picture)
{
    // A picture that could not be fetched is skipped like a non-picture: the
    // pictures after it are still worth having.
    if (!picture.result->ok) {
        ++m_failedDesc;
        noteFailure(*picture.result);
        return true;
    }
    const std::optional<int> width = m_s.probe.pictureWidth(picture.file);
    if (!width || *width < MinDescWidth) {
        QFile::remove(picture.file); // its number goes to the next kept picture
        return true;
    }
    const QString target =
        m_descFolder + Sep + QStringLiteral("描述图") + QString::number(m_kept + 1) + pictureExtension(picture.address);
    if (!QFile::rename(picture.file, target)) {
        fail(QStringLiteral("保存目录无法写入,原因:") + target + QStringLiteral("无法创建"));
        return false;
    }
    ++m_kept;
    return true;
}

void ItemDownload::finish()
{
    m_pool.cancel(); // only fetches ahead can still run: nobody needs them now
    m_prefetch.clear();
    ItemRecord &item = m_s.records.record(m_slot);
    logItem(QStringLiteral("采集中:描述图下载完成_"));
    const int failed = m_failedMain + m_failedDesc;
    if (failed > 0 && m_savedMain + m_kept == 0) {
        // A folder without one picture is no copy of the item: listed as
        // downloaded, it would never be tried again.
        const QString reason = QStringLiteral("%1张图片都未能下载(%2)").arg(failed).arg(m_firstFailure);
        dropItem();
        emit nothingFetched(m_slot, reason, !m_anyAnswer);
        return;
    }
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    QString error;
    if (!writeLocalTextFile(m_itemFolder + Sep + InfoFileName,
                            infoFileText(item, m_title, QDateTime::currentDateTime()), &error)) {
        fail(InfoFileName + QStringLiteral("写入失败,原因:") + error);
        return;
    }
    // Whole on disk: only now does it stand under the item's name.
    if (!m_folder.commit(&error)) {
        fail(QStringLiteral("宝贝目录无法改名为") + m_folder.finalPath() + QStringLiteral(",原因:") + error);
        return;
    }
    m_itemFolder = m_folder.finalPath();
    m_s.lists.AlreadyDownedList().append(
        DownloadedLine{item.PickItemNo, m_title, m_itemFolder, item.PickUrl}.toString());
    ClearCollection(item.AttrList);
    // Nobody asked for this refresh: it leaves the user's selection alone.
    m_s.search.refreshHits();
    if (failed > 0)
        logItem(QStringLiteral("采集中:有%1张图片未能下载(主图%2张,描述图%3张)_")
                    .arg(failed)
                    .arg(m_failedMain)
                    .arg(m_failedDesc));
    logItem(QStringLiteral("采集中:采集成功!选中已下载项，双击查看下集结果!_"));
    m_running = false;
    emit finished(m_slot);
}

void ItemDownload::dropItem()
{
    m_pool.cancel();
    m_prefetch.clear();
    // Half an item is no use: what this call made goes, so that the next
    // attempt is not mistaken for a second copy.
    m_folder.drop();
    ItemRecord &item = m_s.records.record(m_slot);
    ClearCollection(item.MainImgList);
    ClearCollection(item.DescImgList);
    ClearCollection(item.AttrList);
    m_queue.clear();
    m_running = false;
}

void ItemDownload::fail(const QString &reason)
{
    dropItem();
    emit failed(m_slot, reason);
}

void ItemDownload::halt()
{
    m_halted = true;
    // The item goes back to the pending list: a half folder would push its
    // next attempt to another name.
    if (m_running)
        dropItem();
    m_pool.cancel();
    m_prefetch.clear();
}
