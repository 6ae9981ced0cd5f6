#include "shell/demo/demo_marketplace.h"

#include "platform/web/webengine_setup.h"
#include "shell/demo/demo_pages.h"

namespace {

std::optional<LocalWebServer::Tls> serverTls(const std::optional<SelfSignedCertificate> &certificate)
{
    if (!certificate)
        return std::nullopt;
    return LocalWebServer::Tls{{}, {}, certificate->certificatePem, certificate->keyPem};
}

} // namespace

DemoMarketplace::DemoMarketplace()
    // Enough for the longest demo; a new one each run.
    : m_certificate(SelfSignedCertificate::make({QStringLiteral("zorvane.com"), QStringLiteral("*.zorvane.com")}, 30))
    , m_server(serverTls(m_certificate))
{
}

std::vector<std::string> DemoMarketplace::chromiumFlags() const
{
    std::vector<std::string> flags{"--host-resolver-rules=" + marketplaceHostRule(port(), tlsPort())};
    if (tlsPort() > 0)
        flags.push_back("--ignore-certificate-errors-spki-list=" + m_certificate->publicKeyPin.toStdString());
    return flags;
}

QString DemoMarketplace::homePage()
{
    return QStringLiteral("http://www.zorvane.com/");
}

QString DemoMarketplace::shopAddress()
{
    return QStringLiteral("http://demoshop.zorvane.com");
}

void DemoMarketplace::serve(int items)
{
    m_items.clear();
    for (int i = 1; i <= items; ++i) {
        const int id = 1000 + i;
        const QString n = QString::number(id);
        DetailPage item;
        item.title = QStringLiteral("2026春季新款女装连衣裙 %1号").arg(i);
        for (int m = 1; m <= 5; ++m)
            item.mainImages << imageAddress(m_server, n + QStringLiteral("-main%1.jpg").arg(m));
        item.attributes = {{QStringLiteral("品牌"), QStringLiteral("Zorvane")},
                           {QStringLiteral("货号"), QStringLiteral("ZV-%1").arg(id)},
                           {QStringLiteral("颜色"), QStringLiteral("红色,蓝色")},
                           {QStringLiteral("尺码"), QStringLiteral("S,M,L,XL")}};
        for (int d = 1; d <= 6; ++d)
            item.descImages << imageAddress(m_server, n + QStringLiteral("-desc%1.jpg").arg(d));
        // A spacer too narrow to count as a description picture.
        item.descImages << imageAddress(m_server, n + QStringLiteral("-spacer.gif"));
        item.height = 4000;
        servePictures(m_server, item.mainImages, 800, 800);
        // What a seller browsing the demo sees of them.
        for (const QString &main : std::as_const(item.mainImages))
            servePictures(m_server, {galleryThumbnail(main)}, 60, 60);
        servePictures(m_server, item.descImages.mid(0, 6), 750, 900);
        servePictures(m_server, {item.descImages.last()}, 750, 10);
        servePage(m_server, detailPageAddress(id), detailPageHtml(item));
        m_items << detailPageAddress(id);
    }
    const qsizetype half = (m_items.size() + 1) / 2;
    servePage(m_server, shopOfferListAddress(QStringLiteral("demoshop"), 1),
              shopOfferListHtml({QStringLiteral("demoshop 第1页"), m_items.mid(0, half)}));
    servePage(m_server, shopOfferListAddress(QStringLiteral("demoshop"), 2),
              shopOfferListHtml({QStringLiteral("demoshop 第2页"), m_items.mid(half)}));
    servePage(m_server, shopOfferListAddress(QStringLiteral("demoshop"), 3),
              shopOfferListHtml({QStringLiteral("demoshop 第3页"), {}}));

    QString links;
    for (const QString &address : std::as_const(m_items))
        links += QStringLiteral("<li><a href=\"%1\">%1</a></li>").arg(address);
    servePage(m_server, homePage(),
              plainPageHtml(QStringLiteral("Zorvane 批发市场(演示)"),
                            QStringLiteral("<h1>Zorvane 批发市场(本机演示)</h1><p>演示店铺: <a href=\"%1\">%1</a></p>"
                                           "<ul>%2</ul>")
                                .arg(shopAddress(), links)));
}
