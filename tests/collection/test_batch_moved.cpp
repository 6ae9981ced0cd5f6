// Items whose page moves the reader elsewhere: taken off sale, or a wall.
#include "batch_paths.h"

namespace {

using namespace batch_paths;

const QString Shop = QStringLiteral("https://shop.zorvane.com/");
const QString Check = QStringLiteral("http://detail.zorvane.com/verify.html"); // the item's host, another path

struct MovedCase
{
    const char *name;
    // A letter per pending line: G an item page, S moved to the shop (taken
    // off sale); no item pages: E a shop address shown with "/", H shown over
    // https, Q shown with a query.
    QString items;
    int wallAfter;   // every item page moves to the check once this many items ended; -1: never
    QString box;     // positions of the lines back in the address box
    QString pending; // positions of the lines left on top of the pending list
    int downloaded;
};
ZORVANE_PRINT_AS_NAME(MovedCase)

class MovedPages : public BatchPaths, public ::testing::WithParamInterface<MovedCase> {};

QString address(int k, QChar kind)
{
    return kind == u'E' ? QStringLiteral("http://shop%1.zorvane.com").arg(k)
                        : QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(10 + k);
}

PageSnapshot elsewhere(const QString &url)
{
    PageSnapshot s = detailSnapshot(url, QStringLiteral("别处"), {}, {});
    s.blocks.clear();
    return s;
}

} // namespace

TEST_P(MovedPages, OnlyAWallPausesTheRunItemsTakenOffSaleGoToTheAddressBox)
{
    const MovedCase &c = GetParam();
    const auto serveAll = [&](bool wall) {
        for (int k = 1; k <= c.items.size(); ++k) {
            const QChar kind = c.items.at(k - 1);
            const QString a = address(k, kind);
            const QString shown = wall ? Check
                : kind == u'S'         ? Shop
                : kind == u'E'         ? a + QLatin1Char('/')
                : kind == u'H'         ? QString(a).replace(QStringLiteral("http:"), QStringLiteral("https:"))
                                       : a + QStringLiteral("?spm=1");
            page.serve(a, kind == u'G' && !wall ? detailSnapshot(a, QStringLiteral("宝贝"), {}, {}) : elsewhere(shown));
        }
    };
    serveAll(c.wallAfter == 0);
    int ended = 0;
    QObject::connect(&batch, &BatchCycle::itemEnded, &batch, [&] { serveAll(c.wallAfter >= 0 && ++ended >= c.wallAfter); });
    lists.setAddUrlText(QString());
    for (int k = 1; k <= c.items.size(); ++k)
        lists.readyDownList().append(QStringLiteral("M%1|").arg(k) + address(k, c.items.at(k - 1)));
    QSignalSpy wall(&batch, &BatchCycle::verificationWall);
    runUntilIdleOrStopped();

    QString box, pending;
    for (int k = 1; k <= c.items.size(); ++k) {
        box += lists.AddUrlText().contains(QStringLiteral("|M%1").arg(k)) ? QString::number(k) : QString();
        const QString itemNo = QStringLiteral("M%1").arg(k);
        if (c.items.at(k - 1) == u'S' && c.box.contains(QString::number(k)))
            EXPECT_TRUE(logOf(itemNo).contains(QStringLiteral("采集中:页面被转到") + Shop + QStringLiteral(",可能已下架_")
                                               + address(k, u'S')));
    }
    for (const QString &line : lists.readyDownList().entries())
        pending += line.section(QLatin1Char('|'), 0, 0).mid(1);
    EXPECT_EQ(box, c.box) << lists.AddUrlText().toStdString();
    EXPECT_EQ(pending, c.pending) << "in the order they were taken";
    EXPECT_EQ(lists.AlreadyDownedList().count(), c.downloaded);
    EXPECT_EQ(wall.size(), c.pending.isEmpty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, MovedPages,
    ::testing::Values(MovedCase{"sold_out_among_good_and_last", QStringLiteral("GSSGS"), -1, QStringLiteral("235"), {}, 2},
                      MovedCase{"sold_out_first_in_a_run", QStringLiteral("SSG"), -1, QStringLiteral("12"), {}, 1},
                      MovedCase{"wall_after_the_first_item", QStringLiteral("GGG"), 1, {}, QStringLiteral("23"), 1},
                      MovedCase{"wall_at_the_very_first_item", QStringLiteral("GGGG"), 0, {}, QStringLiteral("1234"), 0},
                      MovedCase{"scheme_slash_or_query_is_no_move", QStringLiteral("EHQG"), -1, QStringLiteral("123"), {}, 1}),
    [](const auto &info) { return std::string(info.param.name); });
