#pragma once

#include <QObject>
#include <QString>

#include "shop/offer_list_walk.h"

class BatchCycle;
class ListStore;
class StatusLog;
class WalkTurns;

// Queues every item of a shop: walks the shop's offer-list pages in the
// collector's view, gathers the item links and puts them into the pending list
// under the numbers shop name + "#" + k, pausing the batch cycle meanwhile.
class ShopDiscovery : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        OfferListWalk &walk;
        WalkTurns &turns; // shared with the watched shops' check
        ListStore &lists;
        BatchCycle &batch;
        StatusLog &log;
    };

    static QString hintText() { return QStringLiteral("输入店铺地址,回车开始"); }
    explicit ShopDiscovery(const Services &services, QObject *parent = nullptr);

    // The shop address box (ShopUrlText) and its button.
    QString ShopUrlText() const { return m_text; }
    void setShopUrlText(const QString &text);
    bool isShopUrlTextVisible() const { return m_visible; }
    void ASBabyUrlAlaCmd_Click();
    void ShopUrlText_KeyPress(int keyCode);
    // Esc in the box: it goes with what was typed in it, and nothing is discovered.
    void closeBox()
    {
        m_text = hintText();
        setVisible(false);
    }
    void ShopUrlText_MouseDown() { setShopUrlText(QString()); }

    void AllShopBabyUrlAla();
    bool isRunning() const { return m_running; }

signals:
    void boxChanged();
    void finished();

private:
    void begin();
    void takeOverView();
    void walk();
    void queueLinks(const OfferListWalk::Result &walked);
    void end();
    void setVisible(bool visible);

    Services m_s;
    QString m_text;
    bool m_visible = false;
    bool m_running = false;
    QString m_address;
    QString m_name;
};
