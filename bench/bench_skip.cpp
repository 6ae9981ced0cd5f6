// 跳过已下载: 300 pending lines matched against a downloaded list of 100,000
// lines. The set of page addresses follows the list as it is loaded; each
// match is then a lookup. A walk over the list per line is timed beside it.
#include "collection/marketplace.h"
#include "lists/downloaded_addresses.h"
#include "lists/item_lines.h"
#include "lists/item_list.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Downloaded = 100000;
constexpr int Pending = 300;

QString pageOf(int n)
{
    return QStringLiteral("https://detail.zorvane.com/offer/%1.html").arg(600000000000LL + n * 7919LL);
}

QString downloadedLine(int n)
{
    return QStringLiteral("店铺#%1|2026春季新款女装连衣裙%1|/home/卖家/宝贝图片/店铺%1|%2?spm=a261y.7663282.0.0")
        .arg(n)
        .arg(pageOf(n));
}

// Every other pending line is a page downloaded before.
QStringList pendingAddresses()
{
    QStringList addresses;
    for (int i = 0; i < Pending; ++i)
        addresses << (i % 2 ? pageOf(i * 331) : pageOf(Downloaded + i)) + QStringLiteral("#detail");
    return addresses;
}

// Loading the downloaded list with the set following it (as start-up does).
void LoadWithTheSetInStep(benchmark::State &state)
{
    for (auto _ : state) {
        ItemList list;
        DownloadedAddresses addresses(list);
        for (int n = 0; n < Downloaded; ++n)
            list.append(downloadedLine(n));
        benchmark::DoNotOptimize(addresses.contains(pageOf(1)));
    }
}
BENCHMARK(LoadWithTheSetInStep)->Unit(benchmark::kMillisecond);

void MatchPendingLines(benchmark::State &state)
{
    ItemList list;
    DownloadedAddresses addresses(list);
    for (int n = 0; n < Downloaded; ++n)
        list.append(downloadedLine(n));
    const QStringList pending = pendingAddresses();
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const QString &address : pending)
            found += addresses.contains(address);
    }
    state.counters["found"] = found;
}
BENCHMARK(MatchPendingLines)->Unit(benchmark::kMicrosecond);

// The same list loaded without the set: what the set adds to start-up.
void LoadWithoutTheSet(benchmark::State &state)
{
    for (auto _ : state) {
        ItemList list;
        for (int n = 0; n < Downloaded; ++n)
            list.append(downloadedLine(n));
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(LoadWithoutTheSet)->Unit(benchmark::kMillisecond);

// For comparison: a walk over the list for each pending line, even with
// every downloaded page's key made beforehand.
void ScanTheListPerLine(benchmark::State &state)
{
    QStringList keys;
    for (int n = 0; n < Downloaded; ++n)
        keys << Marketplace::pageKey(DownloadedLine::parse(downloadedLine(n)).address);
    const QStringList pending = pendingAddresses();
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const QString &address : pending)
            found += keys.contains(Marketplace::pageKey(address));
    }
    state.counters["found"] = found;
}
BENCHMARK(ScanTheListPerLine)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
