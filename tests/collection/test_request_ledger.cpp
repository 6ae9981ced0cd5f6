// The page's own requests in flight: what the engine starts, settled by what
// the page's timeline reports, per document.
#include "collection/request_ledger.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Kind = RequestLedger::Kind;
const QString Page = QStringLiteral("https://detail.zorvane.com/");

RequestLedger::Finish finish(const QString &path, Kind kind, qint64 start, qint64 fetchStart, qint64 end, bool hops)
{
    return {Page + path, kind, start, fetchStart, end, hops};
}

struct LedgerCase
{
    const char *name;
    std::function<QList<qint64>(RequestLedger &)> run; // the open ages at the end
    QList<qint64> open;
};

} // namespace

TEST(RequestLedger, OnlyTheDocumentsOwnUnfinishedRequestsStayOpen)
{
    const LedgerCase cases[] = {
        {"the oldest start of an address ends first",
         [](RequestLedger &l) {
             l.started(Page + QStringLiteral("a.js"), Kind::Script, 100);
             l.started(Page + QStringLiteral("a.js#x"), Kind::Script, 300);
             l.finished(finish(QStringLiteral("a.js"), Kind::Script, 100, 100, 350, false));
             return l.openAges(1000);
         },
         {700}},
        {"an earlier document's requests",
         [](RequestLedger &l) {
             l.started(Page + QStringLiteral("poll"), Kind::Fetch, 100);
             l.documentMade(200);
             l.started(Page + QStringLiteral("desc?part=2"), Kind::Fetch, 250);
             return l.openAges(1000);
         },
         {750}},
        {"hops of a same-origin redirect end with the chain",
         [](RequestLedger &l) {
             l.started(Page + QStringLiteral("r"), Kind::Fetch, 100);
             l.started(Page + QStringLiteral("final"), Kind::Fetch, 130);
             l.started(Page + QStringLiteral("chunk"), Kind::Fetch, 600);
             l.finished(finish(QStringLiteral("r"), Kind::Fetch, 95, 128, 400, true));
             return l.openAges(1000);
         },
         {400}},
        {"a hop to another site ends with the chain, other kinds and later starts stay",
         [](RequestLedger &l) {
             l.started(Page + QStringLiteral("p.jpg"), Kind::Picture, 100);
             l.started(QStringLiteral("https://img.zorvane.com/p.jpg"), Kind::Picture, 150);
             l.started(QStringLiteral("https://api.zorvane.com/x"), Kind::Fetch, 160);
             l.started(QStringLiteral("https://img.zorvane.com/q.jpg"), Kind::Picture, 800);
             l.finished(finish(QStringLiteral("p.jpg"), Kind::Picture, 95, 95, 420, false));
             return l.openAges(1000);
         },
         {840, 200}},
        {"an address the page never reports stops counting until it does",
         [](RequestLedger &l) {
             l.started(Page + QStringLiteral("worker-poll"), Kind::Fetch, 0);
             const bool heldFirst = l.openAges(9000) == QList<qint64>{9000};
             const bool learned = l.openAges(10000).isEmpty();
             l.started(Page + QStringLiteral("worker-poll"), Kind::Fetch, 10500);
             const bool ignored = l.openAges(11000).isEmpty();
             l.finished(finish(QStringLiteral("worker-poll"), Kind::Fetch, 0, 0, 11500, false));
             l.started(Page + QStringLiteral("worker-poll"), Kind::Fetch, 12000);
             return heldFirst && learned && ignored ? l.openAges(12500) : QList<qint64>{-1};
         },
         {500}},
    };
    for (const LedgerCase &c : cases) {
        RequestLedger ledger;
        EXPECT_EQ(c.run(ledger), c.open) << c.name;
    }
}
