#include "download/picture_queue.h"

#include <gtest/gtest.h>

namespace {

// What the download does with a picture, or what comes back for it.
enum class Op {
    Start,      // the next to start: a fetch of its own begins
    WaitAhead,  // the next to start: it is being fetched ahead, so it waits
    Take,       // the next to start: it was fetched ahead and is here at once
    AheadEnds,  // the fetch ahead of its address ended
    NoneToStart,
    Arrives,
    Fails,
};

struct Step
{
    Op op;
    int picture = 0;
};

struct Row
{
    const char *name;
    const char *addresses; // a letter each, in page order: "aba" names one address twice
    QList<Step> steps;
    // The pictures each step settles, in order; "!" marks a failed one.
    QStringList settled;
};
ZORVANE_PRINT_AS_NAME(Row)

constexpr Op S = Op::Start, W = Op::WaitAhead, T = Op::Take, E = Op::AheadEnds, A = Op::Arrives, F = Op::Fails;

} // namespace

TEST(PictureQueue, EachPictureSettlesOnceInPageOrderWhicheverArrivesFirst)
{
    const Row rows[] = {
        {"in page order", "abc", {{S, 0}, {S, 1}, {S, 2}, {A, 0}, {A, 1}, {A, 2}}, {"", "", "", "0", "1", "2"}},
        {"the last one first", "abc", {{S, 0}, {S, 1}, {S, 2}, {A, 2}, {A, 1}, {A, 0}}, {"", "", "", "", "", "0 1 2"}},
        {"one before its turn", "abc", {{S, 0}, {S, 1}, {S, 2}, {A, 1}, {A, 0}, {A, 2}}, {"", "", "", "", "0 1", "2"}},
        {"one after its turn", "abc", {{S, 0}, {S, 1}, {S, 2}, {A, 0}, {A, 2}, {A, 1}}, {"", "", "", "0", "", "1 2"}},
        {"a failed one keeps its turn", "abc", {{S, 0}, {S, 1}, {S, 2}, {F, 1}, {A, 0}, {A, 2}},
         {"", "", "", "", "0 1!", "2"}},
        {"only the first answer counts", "ab", {{S, 0}, {S, 1}, {F, 1}, {A, 1}, {A, 0}, {A, 0}, {A, 1}},
         {"", "", "", "", "0 1!", "", ""}},
        {"fetched ahead: the ones behind wait for it, it is taken once here", "abc",
         {{W, 0}, {S, 1}, {S, 2}, {Op::NoneToStart}, {A, 2}, {A, 1}, {E, 0}, {T, 0}},
         {"", "", "", "", "", "", "", "0 1 2"}},
        {"fetched ahead and failed: fetched once more", "ab", {{W, 0}, {S, 1}, {A, 1}, {E, 0}, {S, 0}, {F, 0}},
         {"", "", "", "", "", "0! 1"}},
        {"one fetch ahead for an address named twice", "aba",
         {{W, 0}, {S, 1}, {W, 2}, {E, 1}, {Op::NoneToStart}, {E, 0}, {T, 0}, {S, 2}, {A, 2}, {A, 1}},
         {"", "", "", "", "", "", "0", "", "", "1 2"}},
        {"taken at once, before its turn", "ab", {{S, 0}, {T, 1}, {A, 0}}, {"", "", "0 1"}},
        {"nothing to fetch", "", {}, {}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QList<PictureQueue::Picture> pictures;
        const QString addresses = QString::fromLatin1(row.addresses);
        for (qsizetype i = 0; i < addresses.size(); ++i)
            pictures.append({QStringLiteral("http://img.zorvane.com/") + addresses.at(i), QString::number(i), {}});
        PictureQueue queue;
        queue.reset(pictures);
        QStringList settled;
        for (const Step &step : row.steps) {
            FetchResult result;
            result.ok = step.op != Op::Fails;
            switch (step.op) {
            case Op::Start:
            case Op::WaitAhead:
            case Op::Take:
                ASSERT_EQ(queue.nextToStart(), step.picture) << settled.size();
                if (step.op == Op::Start)
                    queue.started(step.picture);
                else if (step.op == Op::WaitAhead)
                    queue.waitForAhead(step.picture);
                else
                    queue.arrived(step.picture, result);
                break;
            case Op::AheadEnds:
                queue.aheadEnded(pictures.at(step.picture).address);
                break;
            case Op::NoneToStart:
                ASSERT_FALSE(queue.nextToStart().has_value()) << settled.size();
                break;
            case Op::Arrives:
            case Op::Fails:
                queue.arrived(step.picture, result);
                break;
            }
            QStringList now;
            while (const std::optional<PictureQueue::Picture> picture = queue.nextToSettle())
                now.append(picture->file + (picture->result->ok ? "" : "!"));
            settled.append(now.join(u' '));
        }
        EXPECT_EQ(settled, row.settled);
        EXPECT_TRUE(queue.allSettled());
        EXPECT_FALSE(queue.nextToStart().has_value());
    }
}
