#pragma once

// What bench_pace measures with: answer-time profiles of a busy marketplace,
// runs of the runner's code (ProgramCore and its batch cycle, real timer
// intervals) over a queue, and the network's lower bound measured in the same
// run (each page, its chunks one after another and its pictures, no
// scrolling and no timers).

#include "collector_timeline.h"
#include "fixture_server.h"
#include "lazy_pages.h"

#include "collection/batch/batch_cycle.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

constexpr int PageHeight = 12000;
constexpr int MainPictures = 5;
constexpr int DescPictures = 15;

struct Profile
{
    const char *name;
    int pageMs;
    Lateness chunks;
    Lateness pictures;
    int redirectPollMs = 0;
};

inline const Profile Quick{"50 ms answers", 50, {50, 50}, {50, 50}};
inline const Profile SlowDescription{"slow description (chunks 0.3-1.5 s, pictures 20-300 ms)", 50, {300, 1500},
                                     {20, 300}};

struct PaceRun
{
    double seconds = 0;      // the whole queue, start to idle
    double timerSeconds = 0; // scroller ticks and controller waits (standard pace)
    int descPictures = 0;    // description pictures saved, all items
    QHash<QString, double> deadSeconds; // item number: from its load to its rejection
    qint64 peakPssKb = 0;    // of the whole process tree, sampled every 100 ms
};

// Runs the event loop until `done` holds.
void runUntil(const std::function<bool()> &done);
// Collects the lines with `collectors` collectors at once; with a timeline,
// follows the collectors and samples the process tree's CPU every 100 ms.
PaceRun collect(BatchCycle::Pace pace, const QStringList &lines, int collectors = 1,
                CollectorTimeline *timeline = nullptr);
// Loading each page, its chunks one after another and its pictures over
// `connections`: what one collector with that many connections cannot go
// below. Seconds for all the pages together.
double lowerBound(const FixtureServer &server, const std::vector<LazyDetailPage> &pages, int connections);
std::vector<LazyDetailPage> servePages(FixtureServer &server, int firstId, int count, const Profile &profile);
QStringList linesFor(const std::vector<LazyDetailPage> &pages);
// A page that never answers (hung: one whose script never returns) at detailPageAddress(id).
void serveDeadPage(FixtureServer &server, int id, bool hung);
