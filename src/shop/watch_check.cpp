#include "shop/watch_check.h"

#include "collection/batch/batch_cycle.h"
#include "collection/marketplace.h"
#include "collection/status_log.h"
#include "lists/item_lines.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/desktop/notifier.h"
#include "shop/change_record.h"
#include "shop/shop_reader.h"
#include "shop/walk_turns.h"

#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QTimer>

namespace {

unsigned bit(WatchCheck::Ending ending) { return 1u << unsigned(ending); }

} // namespace

WatchCheck::WatchCheck(const Services &services, QObject *parent)
    : QObject(parent)
    , m_s(services)
{
    if (!m_s.now)
        m_s.now = [] { return QDateTime::currentDateTime(); };
}

WatchCheck::~WatchCheck() = default;

QString WatchCheck::recordPath() const
{
    const QString folder = m_s.saveFolder ? m_s.saveFolder() : QString();
    return ChangeRecord(folder.isEmpty() ? m_s.programFolder : folder).path();
}

bool WatchCheck::start()
{
    if (m_running) {
        m_s.log.AddMesg(QStringLiteral("店铺上新检查正在进行,请待本次检查完成"));
        return false;
    }
    if (m_s.listFile.isReadOnly()) {
        // Its items would be recorded as seen and never collected: the copy
        // that keeps the lists checks.
        m_s.log.AddMesg(QStringLiteral("列表只读,本窗口不检查店铺上新:另一个本程序窗口正在使用同一程序目录的下载列表"));
        return false;
    }
    m_running = true;
    const QString what = QStringLiteral("店铺上新检查");
    if (const std::optional<QString> holder = m_s.turns.take(what, this, [this] { begin(); }))
        m_s.log.AddMesg(QStringLiteral("%1正在进行,%2排在其后,完成后自动开始").arg(*holder, what));
    return true;
}

void WatchCheck::begin()
{
    m_endings = 0;
    m_shops = WatchList(m_s.programFolder).shops();
    m_changes = QList<ShopChanges>(m_shops.size());
    m_report = WatchReport{};
    m_report.started = m_s.now();
    m_report.shops.resize(m_shops.size());
    m_next = 0;
    m_recorded = 0;
    m_reading.clear();
    m_s.log.AddMesg(QStringLiteral("店铺上新检查开始:%1个监控店铺").arg(m_shops.size()));
    m_resume = m_s.batch.isControllerOn();
    if (m_shops.isEmpty()) {
        // Never finished() from inside start(): its caller is not listening yet.
        QTimer::singleShot(0, this, &WatchCheck::queueAndCollect);
        return;
    }
    m_s.batch.setViewLent(true);
    // The collectors' views may still hold items under way: they end first,
    // and a collecting batch pauses, as for 整店采集, until the walks are done.
    if (m_resume) {
        m_waits << connect(&m_s.batch, &BatchCycle::stopped, this, &WatchCheck::startReaders, Qt::SingleShotConnection);
        m_s.batch.StopPickCmd_Click();
    } else if (m_s.batch.isItemUnderWay()) {
        m_waits << connect(&m_s.batch, &BatchCycle::collectorsIdle, this, &WatchCheck::startReaders,
                           Qt::SingleShotConnection);
    } else {
        startReaders();
    }
}

void WatchCheck::startReaders()
{
    const int lanes = int(std::min<qsizetype>(std::max(1, m_s.batch.collectors()), m_shops.size()));
    while (int(m_readers.size()) < lanes)
        m_readers.push_back(m_s.reader(int(m_readers.size())));
    for (int lane = 0; lane < lanes; ++lane)
        m_readers.at(lane)->lend(true);
    for (int lane = 0; lane < lanes; ++lane)
        readNext(lane);
}

void WatchCheck::readNext(int lane)
{
    if (m_recorded == m_shops.size()) {
        for (const std::unique_ptr<ShopReader> &reader : m_readers)
            reader->lend(false);
        m_s.batch.setViewLent(false);
        queueAndCollect();
        return;
    }
    if (m_next >= m_shops.size())
        return; // the readers still at work end the walks
    const qsizetype index = m_next++;
    const WatchedShop &shop = m_shops.at(index);
    m_reading.insert(index, shop.name);
    emit readingChanged(m_reading.values(), int(m_recorded), int(m_shops.size()));
    m_s.log.AddMesg(QStringLiteral("店铺上新检查:读取店铺%1(%2/%3)_%4")
                        .arg(shop.name).arg(index + 1).arg(m_shops.size()).arg(shop.address));
    OfferListWalk &walk = m_readers.at(lane)->walk();
    connect(&walk, &OfferListWalk::finished, this,
            [this, lane, index](const OfferListWalk::Result &walked) { onWalked(lane, index, walked); },
            Qt::SingleShotConnection);
    walk.start(shop.address);
}

QString WatchCheck::failure(const OfferListWalk::Result &walked) const
{
    // Read in part, a shop would have its unread items reported 下架 and
    // collected again as new at the next check that reads it whole.
    if (walked.failedPage > 0)
        return QStringLiteral("店铺第%1页加载失败").arg(walked.failedPage);
    if (walked.movedPage == 1)
        return QStringLiteral("店铺页面被转到") + walked.movedTo + QStringLiteral("(店铺已关闭或需要验证)");
    if (walked.movedPage > 1)
        return QStringLiteral("店铺第%1页被转到%2(需要验证或店铺已关闭),未能读完整个店铺")
            .arg(walked.movedPage)
            .arg(walked.movedTo);
    if (walked.unlistedPage == 1)
        return QStringLiteral("页面上没有店铺的宝贝列表(店铺已关闭或地址错误)");
    if (walked.unlistedPage > 1)
        return QStringLiteral("店铺第%1页上没有店铺的宝贝列表,未能读完整个店铺").arg(walked.unlistedPage);
    return QString();
}

void WatchCheck::onWalked(int lane, qsizetype index, const OfferListWalk::Result &walked)
{
    const WatchedShop &shop = m_shops.at(index);
    ShopCheckReport report;
    report.name = shop.name;
    report.address = shop.address;
    report.failure = failure(walked);
    if (!report.read()) {
        m_s.log.AddMesg(QStringLiteral("店铺上新检查:店铺%1无法读取,原因:%2,保留上次记录").arg(shop.name, report.failure));
        recordShop(lane, index, report, ShopChanges{});
        return;
    }
    const ShopChanges changes = ShopChanges::compare(walked.links, shop, [this](const QString &address) {
        return m_s.batch.isDownloaded(address);
    });
    report.baseline = !shop.recorded() && !shop.withExisting;
    if (changes.gone.isEmpty()) {
        recordShop(lane, index, report, changes);
        return;
    }
    confirmGone(lane, index, report, changes);
}

QStringList WatchCheck::lastDownloaded(int count) const
{
    QStringList pages;
    const ItemList &downloaded = m_s.lists.AlreadyDownedList();
    for (int i = downloaded.count() - 1; i >= 0 && pages.size() < count; --i)
        pages << DownloadedLine::parse(downloaded.at(i)).address;
    return pages;
}

void WatchCheck::confirmGone(int lane, qsizetype index, ShopCheckReport report, ShopChanges changes)
{
    // Items the shop lists now vouch best that item pages still load; an
    // emptied shop has only the items downloaded last.
    const QStringList references = changes.listed.mid(0, GoneItemsCheck::MaxReferences)
        + lastDownloaded(GoneItemsCheck::MaxReferences);
    GoneItemsCheck &gone = m_readers.at(lane)->gone();
    connect(&gone, &GoneItemsCheck::finished, this,
            [this, lane, index, report, changes](const GoneItemsCheck::Verdict &verdict) mutable {
                changes.keepListed(verdict.kept);
                if (!verdict.kept.isEmpty())
                    m_s.log.AddMesg(QStringLiteral("店铺上新检查:店铺%1有%2个宝贝不在列表中,但宝贝页面%3,未记为下架")
                                        .arg(report.name)
                                        .arg(verdict.kept.size())
                                        .arg(verdict.walled ? QStringLiteral("被转到验证页,无法核对")
                                                            : QStringLiteral("仍能打开或无法核对")));
                recordShop(lane, index, report, changes);
            },
            Qt::SingleShotConnection);
    gone.start(changes.gone, references);
}

void WatchCheck::recordShop(int lane, qsizetype index, ShopCheckReport report, const ShopChanges &changes)
{
    if (report.read()) {
        report.listed = int(changes.listed.size());
        report.relisted = int(changes.relisted.size());
        const QString &name = report.name;
        m_s.log.AddMesg(report.baseline
                            ? QStringLiteral("店铺上新检查:店铺%1首次检查,记录现有宝贝%2个").arg(name).arg(report.listed)
                            : QStringLiteral("店铺上新检查:店铺%1共%2个宝贝,新宝贝%3个,下架%4个")
                                  .arg(name).arg(report.listed).arg(changes.fresh.size()).arg(changes.gone.size()));
    }
    m_report.shops[index] = report;
    m_changes[index] = changes;
    ++m_recorded;
    m_reading.remove(index);
    if (!m_reading.isEmpty())
        emit readingChanged(m_reading.values(), int(m_recorded), int(m_shops.size()));
    readNext(lane);
}

bool WatchCheck::queued(const QString &address) const
{
    const QString key = Marketplace::pageKey(address);
    const QStringList pending = m_s.lists.readyDownList().entries();
    return std::any_of(pending.cbegin(), pending.cend(), [&key](const QString &line) {
        return Marketplace::pageKey(PendingLine::parse(line).address) == key;
    });
}

void WatchCheck::queueAndCollect()
{
    int added = 0;
    for (qsizetype i = 0; i < m_changes.size(); ++i) {
        for (const ShopChanges::Item &item : m_changes.at(i).fresh) {
            // A check cut short left it pending, or even collected it.
            if (queued(item.address) || m_s.batch.isDownloaded(item.address))
                continue;
            m_s.lists.readyDownList().append(m_shops.at(i).name + QLatin1Char('#') + QString::number(item.position)
                                             + QLatin1Char('|') + item.address);
            ++added;
        }
    }
    if (added > 0)
        m_s.log.AddMesg(QStringLiteral("店铺上新检查:加入%1个新宝贝到待下载列表").arg(added));
    if (added == 0 || m_s.listFile.SaveLists())
        noteQueued();
    if (!m_resume && m_s.lists.readyDownList().count() == 0) {
        finish(Ending::Done);
        return;
    }
    m_waits << connect(&m_s.batch, &BatchCycle::idle, this, [this] { ended(Ending::Done); });
    // A wall pauses the batch: the pause it brings ends the check as at the wall.
    m_waits << connect(&m_s.batch, &BatchCycle::verificationWall, this, [this] { m_endings |= bit(Ending::AtWall); });
    m_waits << connect(&m_s.batch, &BatchCycle::stopped, this, [this] { ended(Ending::Paused); });
    // What was queued stays pending for the batch (or the next run): the record says it was seen, and it was.
    m_waits << connect(&m_s.batch, &BatchCycle::offlineTooLong, this, [this] { ended(Ending::Offline); });
    QPointer<WatchCheck> self(this);
    m_s.batch.StartPickCmd_Click([self](bool started) {
        if (self && !started)
            self->ended(Ending::StartRefused);
    });
}

void WatchCheck::noteQueued()
{
    // Only once the lists hold them: a kill from here on leaves them pending
    // or collected, and the next check still counts them as new.
    QList<WatchedShop> shops;
    for (qsizetype i = 0; i < m_changes.size(); ++i) {
        if (m_changes.at(i).fresh.isEmpty())
            continue;
        WatchedShop shop = m_shops.at(i);
        shop.queued.clear();
        for (const ShopChanges::Item &item : m_changes.at(i).fresh)
            shop.queued << item.address;
        shops << shop;
    }
    QString error;
    if (!shops.isEmpty() && !WatchList(m_s.programFolder).noteQueued(shops, &error))
        m_s.log.AddMesg(QStringLiteral("店铺上新记录未能保存到") + WatchList(m_s.programFolder).path()
                        + QStringLiteral(",原因:") + error);
}

void WatchCheck::ended(Ending ending)
{
    m_endings |= bit(ending);
    if (m_settling)
        return;
    m_settling = true;
    // Whatever else the batch says in the same turn of the event loop counts
    // too: the ending does not depend on the order its signals came in.
    QTimer::singleShot(0, this, [this] {
        for (const QMetaObject::Connection &c : std::as_const(m_waits))
            disconnect(c);
        m_waits.clear();
        m_settling = false;
        // The gravest reason wins; a pause with nothing left is still the pause the user asked for.
        Ending ending = Ending::Done;
        for (Ending e : {Ending::AtWall, Ending::Offline, Ending::StartRefused, Ending::Paused}) {
            if (m_endings & bit(e)) {
                ending = e;
                break;
            }
        }
        m_endings = 0;
        finish(ending);
    });
}

void WatchCheck::finish(Ending ending)
{
    // What the downloaded list says of each item now: title, 货号 and folder.
    QHash<QString, DownloadedLine> downloaded;
    for (const QString &line : m_s.lists.AlreadyDownedList().entries()) {
        const DownloadedLine d = DownloadedLine::parse(line);
        downloaded.insert(Marketplace::pageKey(d.address), d);
    }
    for (qsizetype i = 0; i < m_report.shops.size(); ++i) {
        ShopCheckReport &report = m_report.shops[i];
        for (const ShopChanges::Item &item : m_changes.at(i).fresh) {
            const DownloadedLine d = downloaded.value(Marketplace::pageKey(item.address));
            report.fresh << ShopCheckReport::NewItem{item.address, d.title, d.itemNo, d.folder};
        }
        for (const QString &address : m_changes.at(i).gone)
            report.gone << ShopCheckReport::GoneItem{address, downloaded.value(Marketplace::pageKey(address)).title};
    }
    // The record says these items were seen: only once the lists that hold
    // them are on disk.
    if (!m_report.shops.isEmpty()) {
        if (m_s.listFile.SaveLists())
            writeRecords();
        else
            m_s.log.AddMesg(QStringLiteral("下载列表未能保存,店铺上新记录保持上次的内容,下次检查重新比较"));
    }
    const auto end = [this, ending] {
        m_running = false;
        m_s.turns.release();
        emit finished(m_report, ending);
    };
    if (m_report.newCount() == 0) {
        end();
        return;
    }
    QPointer<WatchCheck> self(this);
    m_s.notifier.notify(m_report.notificationSummary(), m_report.notificationBody(),
                        [self, end](bool shown, const QString &why) {
                            if (!self)
                                return;
                            if (!shown)
                                self->m_s.log.AddMesg(QStringLiteral("无法发送桌面通知,原因:") + why);
                            end();
                        });
}

void WatchCheck::writeRecords()
{
    QList<WatchedShop> checked;
    for (qsizetype i = 0; i < m_report.shops.size(); ++i) {
        const ShopCheckReport &report = m_report.shops.at(i);
        WatchedShop shop = m_shops.at(i);
        if (report.read()) {
            shop.items = m_changes.at(i).listed;
            shop.lastCheck = m_report.started;
            shop.withExisting = false;
            shop.lastNew = int(report.fresh.size());
            shop.lastGone = int(report.gone.size());
            shop.lastFailure.clear();
            shop.queued.clear();
        } else {
            // As the file has it: an earlier check's queued items still count.
            shop.lastFailure = report.failure;
        }
        checked << shop;
    }
    QString error;
    WatchList watched(m_s.programFolder);
    if (!watched.update(checked, &error))
        m_s.log.AddMesg(QStringLiteral("店铺上新记录未能保存到") + watched.path() + QStringLiteral(",原因:") + error);
    const QString path = recordPath();
    if (ChangeRecord(QFileInfo(path).path()).append(m_report.recordBlock(), &error))
        m_s.log.AddMesg(QStringLiteral("店铺上新检查完成:%1个新宝贝,%2个下架,%3个店铺无法读取,记录见")
                            .arg(m_report.newCount())
                            .arg(m_report.goneCount())
                            .arg(m_report.unreadCount())
                        + path);
    else
        m_s.log.AddMesg(QStringLiteral("店铺上新记录未能写入") + path + QStringLiteral(",原因:") + error);
}
