// The page's own requests in flight, per document.
#include "collection/request_ledger.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

using Kind = RequestLedger::Kind;

QString at(const char *path)
{
    return QString::fromLatin1(path).startsWith(u"https:") ? QString::fromLatin1(path)
                                                            : QStringLiteral("https://detail.zorvane.com/") + path;
}
void start(RequestLedger &l, const char *path, Kind kind, qint64 ms) { l.started(at(path), kind, ms); }
void end(RequestLedger &l, const char *path, Kind kind, qint64 from, qint64 lastHop, qint64 to, bool hopsSeen)
{
    l.finished({at(path), kind, from, lastHop, to, hopsSeen});
}

} // namespace

TEST(RequestLedger, OnlyTheDocumentsOwnUnfinishedRequestsStayOpen)
{
    RequestLedger l;
    start(l, "a.js", Kind::Script, 100);
    start(l, "a.js#x", Kind::Script, 300);
    end(l, "a.js", Kind::Script, 100, 100, 350, false);
    EXPECT_EQ(l.openAges(1000), QList<qint64>{700}) << "the oldest start of an address ends first";

    l.documentMade(400);
    start(l, "desc?part=2", Kind::Fetch, 450);
    EXPECT_EQ(l.openAges(1000), QList<qint64>{550}) << "an earlier document's request";

    start(l, "r", Kind::Fetch, 500);
    start(l, "final", Kind::Fetch, 530);
    start(l, "chunk", Kind::Fetch, 560);
    end(l, "r", Kind::Fetch, 495, 528, 600, true);
    EXPECT_EQ(l.openAges(1000), (QList<qint64>{550, 440})) << "a same-origin hop ends with its chain, no other request";
    end(l, "chunk", Kind::Fetch, 560, 560, 610, false);

    start(l, "p.jpg", Kind::Picture, 600);
    start(l, "https://img.zorvane.com/p.jpg", Kind::Picture, 650);
    start(l, "https://api.zorvane.com/x", Kind::Fetch, 660);
    start(l, "https://img.zorvane.com/q.jpg", Kind::Picture, 990);
    end(l, "p.jpg", Kind::Picture, 595, 595, 700, false);
    end(l, "desc?part=2", Kind::Fetch, 450, 450, 900, false);
    EXPECT_EQ(l.openAges(1000), (QList<qint64>{340, 10})) << "the first hop to another site ends, no other kind or later start";
}

TEST(RequestLedger, AnAddressThePageNeverReportsStopsCountingUntilItDoes)
{
    RequestLedger l;
    start(l, "worker-poll", Kind::Fetch, 0);
    EXPECT_EQ(l.openAges(9000), QList<qint64>{9000});
    EXPECT_TRUE(l.openAges(10000).isEmpty());
    start(l, "worker-poll", Kind::Fetch, 10500);
    EXPECT_TRUE(l.openAges(11000).isEmpty());
    end(l, "worker-poll", Kind::Fetch, 0, 0, 11500, false);
    start(l, "worker-poll", Kind::Fetch, 12000);
    EXPECT_EQ(l.openAges(12500), QList<qint64>{500});
}
