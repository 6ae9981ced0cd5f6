#include "shop/shop_discovery.h"

#include "collection/batch/batch_cycle.h"
#include "collection/marketplace.h"
#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "lists/list_store.h"
#include "shop/walk_turns.h"

#include <QPointer>

ShopDiscovery::ShopDiscovery(const Services &services, QObject *parent)
    : QObject(parent)
    , m_s(services)
    , m_text(hintText())
{
}

void ShopDiscovery::setShopUrlText(const QString &text)
{
    m_text = text;
    emit boxChanged();
}

void ShopDiscovery::setVisible(bool visible)
{
    m_visible = visible;
    emit boxChanged();
}

void ShopDiscovery::ASBabyUrlAlaCmd_Click()
{
    if (!m_visible) {
        setVisible(true);
        return;
    }
    setVisible(false);
    AllShopBabyUrlAla();
}

void ShopDiscovery::ShopUrlText_KeyPress(int keyCode)
{
    if (keyCode != 13)
        return;
    if (!m_visible) {
        setVisible(true);
        return;
    }
    AllShopBabyUrlAla();
    setVisible(false);
}

void ShopDiscovery::AllShopBabyUrlAla()
{
    const QString address = m_text;
    if (m_running && !address.isEmpty() && address != hintText()) {
        // One walk at a time; the typed address stays for when this one ends.
        m_s.log.AddMesg(QStringLiteral("正在分析店铺") + m_address + QStringLiteral("的宝贝,请待本次整店采集分析完成后再开始"));
        return;
    }
    setShopUrlText(hintText());
    // The hint is what the box shows when nothing was typed.
    if (address.isEmpty() || address == hintText()) {
        m_s.log.AddMesg(QStringLiteral("请输入店铺URL,回车开始采集"));
        return;
    }
    m_running = true;
    m_address = address;
    m_name = Marketplace::shopName(address);
    const QString what = QStringLiteral("整店采集分析店铺") + address;
    if (const std::optional<QString> holder = m_s.turns.take(what, this, [this] { begin(); }))
        m_s.log.AddMesg(QStringLiteral("%1正在进行,%2排在其后,完成后自动开始").arg(*holder, what));
}

void ShopDiscovery::begin()
{
    m_s.batch.StopPickCmd_Click();
    m_s.log.AddMesg(QStringLiteral("整店宝贝地址分析中...采集暂停片刻..."));
    takeOverView();
}

void ShopDiscovery::takeOverView()
{
    m_s.batch.setViewLent(true);
    // The collector's view still holds the item under way: scrolling it away
    // would spoil that item.
    if (!m_s.batch.isItemUnderWay()) {
        walk();
        return;
    }
    connect(&m_s.batch, &BatchCycle::collectorsIdle, this, &ShopDiscovery::walk, Qt::SingleShotConnection);
}

void ShopDiscovery::walk()
{
    connect(&m_s.walk, &OfferListWalk::finished, this, &ShopDiscovery::queueLinks, Qt::SingleShotConnection);
    m_s.walk.start(m_address);
}

void ShopDiscovery::queueLinks(const OfferListWalk::Result &walked)
{
    if (walked.failedPage > 0)
        m_s.log.AddMesg(QStringLiteral("店铺第") + QString::number(walked.failedPage)
                        + QStringLiteral("页加载失败,整店宝贝地址分析到此结束"));
    m_s.batch.setViewLent(false);
    const QStringList &links = walked.links;
    if (links.isEmpty()) {
        m_s.log.AddMesg(QStringLiteral("未分析到宝贝地址,原因：店铺地址错误或网络原因或店铺没有宝贝"));
        end();
        return;
    }
    // With 跳过已下载, offers already downloaded stay out; the others keep
    // their number in the shop's list.
    const bool onlyNew = m_s.batch.skipsDownloaded();
    int known = 0;
    for (qsizetype k = 0; k < links.size(); ++k) {
        if (onlyNew && m_s.batch.isDownloaded(links.at(k))) {
            ++known;
            continue;
        }
        m_s.lists.readyDownList().append(m_name + QLatin1Char('#') + QString::number(k + 1)
                                         + QLatin1Char('|') + links.at(k));
    }
    if (onlyNew)
        m_s.log.AddMesg(QStringLiteral("店铺共%1个宝贝,其中%2个已下载过,加入%3个新宝贝")
                            .arg(links.size())
                            .arg(known)
                            .arg(links.size() - known));
    QPointer<ShopDiscovery> self(this);
    m_s.batch.StartPickCmd_Click([self](bool) {
        if (!self)
            return;
        self->m_s.log.AddMesg(QStringLiteral("整店宝贝地址分析完成...恢复采集并开始整店宝贝采集..."));
        self->end();
    });
}

void ShopDiscovery::end()
{
    m_running = false;
    m_s.turns.release();
    emit finished();
}
