// zorvane-test-marketplace: a local copy of the marketplace for trying the
// program without the internet. Serves item detail pages whose description
// pictures arrive after scrolling, and a shop whose offer list spans two pages.
#include "fixture_pages.h"
#include "fixture_server.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("本地测试用的 Zorvane 市场:宝贝详情页与店铺页。"));
    parser.addHelpOption();
    const QCommandLineOption itemsOption(QStringLiteral("items"), QStringLiteral("宝贝数量(默认 6)"),
                                         QStringLiteral("N"), QStringLiteral("6"));
    parser.addOption(itemsOption);
    parser.process(app);
    const int items = std::max(1, parser.value(itemsOption).toInt());

    FixtureServer server;
    QStringList links;
    for (int i = 1; i <= items; ++i) {
        const int id = 1000 + i;
        const QString n = QString::number(id);
        DetailPage item;
        item.title = QStringLiteral("2026春季新款女装连衣裙 %1号").arg(i);
        for (int m = 1; m <= 5; ++m)
            item.mainImages << imageAddress(server, n + QStringLiteral("-main%1.jpg").arg(m));
        item.attributes = {{QStringLiteral("品牌"), QStringLiteral("Zorvane")},
                           {QStringLiteral("货号"), QStringLiteral("ZV-%1").arg(id)},
                           {QStringLiteral("颜色"), QStringLiteral("红色,蓝色")},
                           {QStringLiteral("尺码"), QStringLiteral("S,M,L,XL")}};
        for (int d = 1; d <= 6; ++d)
            item.descImages << imageAddress(server, n + QStringLiteral("-desc%1.jpg").arg(d));
        item.descImages << imageAddress(server, n + QStringLiteral("-spacer.gif"));
        item.height = 4000;
        servePictures(server, item.mainImages, 800, 800);
        servePictures(server, item.descImages.mid(0, 6), 750, 900);
        servePictures(server, {item.descImages.last()}, 750, 10);
        servePage(server, detailPageAddress(id), detailPageHtml(item));
        links << detailPageAddress(id);
    }
    const qsizetype half = (links.size() + 1) / 2;
    servePage(server, shopOfferListAddress(QStringLiteral("demoshop"), 1),
              shopOfferListHtml({QStringLiteral("demoshop 第1页"), links.mid(0, half)}));
    servePage(server, shopOfferListAddress(QStringLiteral("demoshop"), 2),
              shopOfferListHtml({QStringLiteral("demoshop 第2页"), links.mid(half)}));
    servePage(server, shopOfferListAddress(QStringLiteral("demoshop"), 3),
              shopOfferListHtml({QStringLiteral("demoshop 第3页"), {}}));

    std::printf("测试市场已启动: 127.0.0.1:%d (按 Ctrl+C 结束)\n", server.port());
    std::printf("宝贝地址: %s ... %s\n", qPrintable(links.first()), qPrintable(links.last()));
    std::printf("店铺地址: http://demoshop.zorvane.com\n");
    std::printf("让程序使用本测试市场, 在程序参数末尾加上:\n"
                "  --webEngineArgs \"--host-resolver-rules=MAP *.zorvane.com 127.0.0.1:%d\"\n",
                server.port());
    std::fflush(stdout);
    return app.exec();
}
