// Items whose page moves the reader elsewhere: taken off sale, or a wall.
#include "batch_paths.h"

namespace {

using namespace batch_paths;

const QString Shop = QStringLiteral("https://shop.zorvane.com/");
// On the item's own host, at another path.
const QString Check = QStringLiteral("http://detail.zorvane.com/verify.html");

struct MovedCase
{
    const char *name;
    // One letter per pending line: G an item page, S taken off sale (moved to
    // the shop), E a shop address reported with "/", H reported over https,
    // Q reported with a query (the last three are no item pages).
    QString items;
    int wallAfter; // every item page moves to the check once this many items ended; -1: never
    QString box;      // the items back in the address box, by position
    QString pending;  // left on top of the pending list
    int downloaded;
};
ZORVANE_PRINT_AS_NAME(MovedCase)

class MovedPages : public BatchPaths, public ::testing::WithParamInterface<MovedCase>
{
protected:
    static QString address(int k, QChar kind)
    {
        return kind == u'E' ? QStringLiteral("http://shop%1.zorvane.com").arg(k)
                            : QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(10 + k);
    }
    static PageSnapshot plain(const QString &url)
    {
        PageSnapshot s = detailSnapshot(url, QStringLiteral("别处"), {}, {});
        s.blocks.clear();
        return s;
    }
    QString positions(const QString &text, const QString &letters) const
    {
        QString found;
        for (qsizetype k = 0; k < letters.size(); ++k) {
            if (text.contains(QStringLiteral("|M-%1").arg(k + 1)) || text.contains(QStringLiteral("M-%1|").arg(k + 1)))
                found += QString::number(k + 1);
        }
        return found;
    }
};

} // namespace

TEST_P(MovedPages, OnlyAWallPausesTheRunItemsTakenOffSaleGoToTheAddressBox)
{
    const MovedCase &c = GetParam();
    lists.setAddUrlText(QString());
    for (qsizetype k = 0; k < c.items.size(); ++k) {
        const QChar kind = c.items.at(k);
        const QString a = address(int(k + 1), kind);
        const QString url = kind == u'S' ? Shop
            : kind == u'E'               ? a + QLatin1Char('/')
            : kind == u'H'               ? QString(a).replace(QStringLiteral("http:"), QStringLiteral("https:"))
            : kind == u'Q'               ? a + QStringLiteral("?spm=1")
                                         : a;
        page.serve(a, kind == u'G' ? detailSnapshot(a, QStringLiteral("宝贝"), {}, {}) : plain(url));
        lists.readyDownList().append(QStringLiteral("M-%1|").arg(k + 1) + a);
    }
    const auto raiseWall = [&] {
        for (qsizetype k = 0; k < c.items.size(); ++k)
            page.serve(address(int(k + 1), c.items.at(k)), plain(Check));
    };
    int ended = 0;
    QObject::connect(&batch, &BatchCycle::itemEnded, &batch, [&] {
        if (++ended == c.wallAfter)
            raiseWall();
    });
    if (c.wallAfter == 0)
        raiseWall();
    QSignalSpy wall(&batch, &BatchCycle::verificationWall);
    runUntilIdleOrStopped();

    EXPECT_EQ(positions(lists.AddUrlText(), c.items), c.box) << lists.AddUrlText().toStdString();
    EXPECT_EQ(positions(lists.readyDownList().entries().join(QLatin1Char('\n')), c.items), c.pending);
    EXPECT_TRUE(lists.readyDownList().entries().join(QString()).indexOf(QStringLiteral("M-")) <= 0);
    EXPECT_EQ(lists.AlreadyDownedList().count(), c.downloaded);
    EXPECT_EQ(wall.size(), c.pending.isEmpty() ? 0 : 1);
    EXPECT_EQ(batch.isControllerOn(), c.pending.isEmpty());
    for (qsizetype k = 0; k < c.items.size(); ++k) {
        const QString itemNo = QStringLiteral("M-%1").arg(k + 1);
        if (c.box.contains(QString::number(k + 1)) && c.items.at(k) == u'S')
            EXPECT_TRUE(logOf(itemNo).contains(QStringLiteral("采集中:页面被转到") + Shop + QStringLiteral(",可能已下架_")
                                               + address(int(k + 1), u'S')));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rule, MovedPages,
    ::testing::Values(MovedCase{"sold_out_among_good_and_last", QStringLiteral("GSSGS"), -1, QStringLiteral("235"), {}, 2},
                      MovedCase{"sold_out_first_in_a_run", QStringLiteral("SSG"), -1, QStringLiteral("12"), {}, 1},
                      MovedCase{"wall_after_the_first_item", QStringLiteral("GGG"), 1, {}, QStringLiteral("23"), 1},
                      MovedCase{"wall_at_the_very_first_item", QStringLiteral("GGGG"), 0, {}, QStringLiteral("1234"), 0},
                      MovedCase{"scheme_slash_or_query_is_no_move", QStringLiteral("EHQG"), -1, QStringLiteral("123"), {}, 1}),
    [](const auto &info) { return std::string(info.param.name); });
