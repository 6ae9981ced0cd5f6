#include "shop/watch_check.h"

#include "collection/batch/batch_cycle.h"
#include "collection/marketplace.h"
#include "collection/status_log.h"
#include "lists/item_lines.h"
#include "lists/list_file.h"
#include "lists/list_store.h"
#include "platform/notifier.h"
#include "shop/change_record.h"

#include <QFileInfo>
#include <QHash>
#include <QPointer>

WatchCheck::WatchCheck(const Services &services, int pageGapMs, QObject *parent)
    : QObject(parent)
    , m_s(services)
    , m_gapMs(pageGapMs)
{
}

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
    if (m_s.walk.isRunning()) {
        m_s.log.AddMesg(QStringLiteral("正在整店采集分析店铺宝贝,请待分析完成后再检查店铺上新"));
        return false;
    }
    m_running = true;
    m_walled = false;
    m_shops = WatchList(m_s.programFolder).shops();
    m_changes.clear();
    m_report = WatchReport{};
    m_report.started = QDateTime::currentDateTime();
    m_next = 0;
    m_s.log.AddMesg(QStringLiteral("店铺上新检查开始:%1个监控店铺").arg(m_shops.size()));
    m_resume = m_s.batch.isControllerOn();
    if (m_shops.isEmpty()) {
        queueAndCollect();
        return true;
    }
    m_s.batch.setViewLent(true);
    // The collector's view may still hold an item under way: it ends first,
    // and a collecting batch pauses, as for 整店采集, until the walks are done.
    if (m_resume) {
        m_waits << connect(&m_s.batch, &BatchCycle::stopped, this, &WatchCheck::walkNext, Qt::SingleShotConnection);
        m_s.batch.StopPickCmd_Click();
    } else if (m_s.batch.isItemUnderWay()) {
        m_waits << connect(&m_s.batch, &BatchCycle::collectorsIdle, this, &WatchCheck::walkNext, Qt::SingleShotConnection);
    } else {
        walkNext();
    }
    return true;
}

void WatchCheck::walkNext()
{
    if (m_next >= m_shops.size()) {
        m_s.batch.setViewLent(false);
        queueAndCollect();
        return;
    }
    const WatchedShop &shop = m_shops.at(m_next);
    emit shopStarted(int(m_next), int(m_shops.size()), shop.name);
    m_s.log.AddMesg(QStringLiteral("店铺上新检查:读取店铺%1(%2/%3)_%4")
                        .arg(shop.name).arg(m_next + 1).arg(m_shops.size()).arg(shop.address));
    m_s.walk.setGapMs(m_gapMs);
    connect(&m_s.walk, &OfferListWalk::finished, this, &WatchCheck::onWalked, Qt::SingleShotConnection);
    m_s.walk.start(shop.address);
}

void WatchCheck::onWalked(const OfferListWalk::Result &walked)
{
    const WatchedShop &shop = m_shops.at(m_next);
    ShopCheckReport report;
    report.name = shop.name;
    report.address = shop.address;
    if (walked.failedPage > 0) {
        report.failure = QStringLiteral("店铺第%1页加载失败").arg(walked.failedPage);
    } else if (!walked.shopListed) {
        const QString asked = Marketplace::shopPageAddress(shop.address, 1);
        report.failure = Marketplace::movedElsewhere(asked, walked.firstPageAddress)
            ? QStringLiteral("店铺页面被转到") + walked.firstPageAddress + QStringLiteral("(店铺已关闭或需要验证)")
            : QStringLiteral("页面上没有店铺的宝贝列表(店铺已关闭或地址错误)");
    }
    ShopChanges changes;
    if (report.read()) {
        changes = ShopChanges::compare(walked.links, shop,
                                       [this](const QString &address) { return m_s.batch.isDownloaded(address); });
        report.baseline = !shop.recorded() && !shop.withExisting;
        report.listed = int(changes.listed.size());
        report.relisted = int(changes.relisted.size());
        m_s.log.AddMesg(report.baseline
                            ? QStringLiteral("店铺上新检查:店铺%1首次检查,记录现有宝贝%2个").arg(shop.name).arg(report.listed)
                            : QStringLiteral("店铺上新检查:店铺%1共%2个宝贝,新宝贝%3个,下架%4个")
                                  .arg(shop.name).arg(report.listed).arg(changes.fresh.size()).arg(changes.gone.size()));
    } else {
        m_s.log.AddMesg(QStringLiteral("店铺上新检查:店铺%1无法读取,原因:%2,保留上次记录").arg(shop.name, report.failure));
    }
    m_report.shops << report;
    m_changes << changes;
    ++m_next;
    walkNext();
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
            // A check cut short left it pending: it is collected from there.
            if (queued(item.address))
                continue;
            m_s.lists.readyDownList().append(m_shops.at(i).name + QLatin1Char('#') + QString::number(item.position)
                                             + QLatin1Char('|') + item.address);
            ++added;
        }
    }
    if (added > 0) {
        m_s.log.AddMesg(QStringLiteral("店铺上新检查:加入%1个新宝贝到待下载列表").arg(added));
        m_s.listFile.SaveLists();
    }
    if (!m_resume && m_s.lists.readyDownList().count() == 0) {
        finish(Ending::Done);
        return;
    }
    m_waits << connect(&m_s.batch, &BatchCycle::idle, this, [this] { collected(Ending::Done); });
    m_waits << connect(&m_s.batch, &BatchCycle::verificationWall, this, [this] { m_walled = true; });
    m_waits << connect(&m_s.batch, &BatchCycle::stopped, this,
                       [this] { collected(m_walled ? Ending::AtWall : Ending::Paused); });
    QPointer<WatchCheck> self(this);
    m_s.batch.StartPickCmd_Click([self](bool started) {
        if (self && !started)
            self->collected(Ending::StartRefused);
    });
}

void WatchCheck::collected(Ending ending)
{
    if (!m_running)
        return;
    for (const QMetaObject::Connection &c : std::as_const(m_waits))
        disconnect(c);
    m_waits.clear();
    finish(ending);
}

void WatchCheck::finish(Ending ending)
{
    // What the downloaded list says of each item now: title, 货号 and folder.
    QHash<QString, DownloadedLine> downloaded;
    for (const QString &line : m_s.lists.AlreadyDownedList().entries()) {
        const DownloadedLine d = DownloadedLine::parse(line);
        downloaded.insert(Marketplace::pageKey(d.address), d);
    }
    QList<WatchedShop> checked;
    for (qsizetype i = 0; i < m_report.shops.size(); ++i) {
        ShopCheckReport &report = m_report.shops[i];
        WatchedShop shop = m_shops.at(i);
        const ShopChanges &changes = m_changes.at(i);
        if (report.read()) {
            for (const ShopChanges::Item &item : changes.fresh) {
                const DownloadedLine d = downloaded.value(Marketplace::pageKey(item.address));
                report.fresh << ShopCheckReport::NewItem{item.address, d.title, d.itemNo, d.folder};
            }
            for (const QString &address : changes.gone)
                report.gone << ShopCheckReport::GoneItem{address, downloaded.value(Marketplace::pageKey(address)).title};
            shop.items = changes.listed;
            shop.lastCheck = m_report.started;
            shop.withExisting = false;
            shop.lastNew = int(report.fresh.size());
            shop.lastGone = int(report.gone.size());
            shop.lastFailure.clear();
        } else {
            shop.lastFailure = report.failure;
        }
        checked << shop;
    }
    QString error;
    if (!checked.isEmpty() && !WatchList(m_s.programFolder).update(checked, &error))
        m_s.log.AddMesg(QStringLiteral("店铺上新记录未能保存到") + WatchList(m_s.programFolder).path()
                        + QStringLiteral(",原因:") + error);
    if (!m_report.shops.isEmpty()) {
        const QString path = recordPath();
        if (ChangeRecord(QFileInfo(path).path()).append(m_report.recordBlock(), &error))
            m_s.log.AddMesg(QStringLiteral("店铺上新检查完成:%1个新宝贝,%2个下架,%3个店铺无法读取,记录见") .arg(m_report.newCount()).arg(m_report.goneCount()).arg(m_report.unreadCount()) + path);
        else
            m_s.log.AddMesg(QStringLiteral("店铺上新记录未能写入") + path + QStringLiteral(",原因:") + error);
    }
    const auto end = [this, ending] {
        m_running = false;
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
