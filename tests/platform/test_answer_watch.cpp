// The watch that gives up, within seconds, a page that sends nothing or whose
// renderer hangs; here with a probe that answers as a test says.
#include "test_app.h"

#include "platform/web/answer_watch.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// What the view answers to each question, in turn; the last goes on for ever.
enum class Reply { Old, New, Miss };

struct WatchCase
{
    const char *name;
    QList<Reply> replies;
    const char *verdict; // "noAnswer", "hung" or "" (the page is loading)
};

void PrintTo(const WatchCase &c, std::ostream *os)
{
    *os << c.name;
}

class AnswerWatchRules : public ::testing::TestWithParam<WatchCase> {};

} // namespace

TEST_P(AnswerWatchRules, TellsAPageThatSendsNothingFromOneThatHangsFromOneThatLoads)
{
    const WatchCase c = GetParam();
    int asked = 0;
    AnswerWatch watch(
        [&](std::function<void(std::optional<qint64>)> done) {
            const Reply reply = c.replies.at(std::min<qsizetype>(asked++, c.replies.size() - 1));
            // A miss is what a question unanswered within the query time comes to.
            QTimer::singleShot(reply == Reply::Miss ? 20 : 1, [reply, done] {
                done(reply == Reply::Miss ? std::nullopt
                     : reply == Reply::New ? std::optional<qint64>(QDateTime::currentMSecsSinceEpoch())
                                           : std::optional<qint64>(0));
            });
        },
        10);
    QSignalSpy noAnswer(&watch, &AnswerWatch::noAnswer);
    QSignalSpy hung(&watch, &AnswerWatch::hung);
    watch.start(200);
    // A verdict, or thirty questions: a question every 10 ms at the most, so
    // the deadline has passed by then and a page still loading is past it.
    ASSERT_TRUE(waitUntil([&] { return !watch.isRunning() || asked >= 30; }, 30000));
    EXPECT_EQ(noAnswer.size(), QByteArray(c.verdict) == "noAnswer");
    EXPECT_EQ(hung.size(), QByteArray(c.verdict) == "hung");
}

INSTANTIATE_TEST_SUITE_P(
    Replies, AnswerWatchRules,
    ::testing::Values(
        WatchCase{"only_the_old_page_answers", {Reply::Old}, "noAnswer"},
        WatchCase{"the_new_page_answers", {Reply::Old, Reply::Old, Reply::New}, ""},
        // One lost question is the old page going as the new one came.
        WatchCase{"one_question_lost_on_the_way", {Reply::Old, Reply::Miss, Reply::New}, ""},
        WatchCase{"nothing_answers", {Reply::Miss}, "hung"},
        WatchCase{"the_new_page_answers_then_hangs", {Reply::New, Reply::New, Reply::Miss}, "hung"},
        WatchCase{"old_answers_and_single_losses_alternate", {Reply::Old, Reply::Miss, Reply::Old, Reply::Miss, Reply::Old},
                  "noAnswer"}),
    [](const auto &info) { return std::string(info.param.name); });

namespace {

// Answers the test releases by question, in the order it chooses, while the
// watch goes on asking.
struct HeldCase
{
    const char *name;
    QList<QPair<int, Reply>> releases; // question (from 1), its answer
    const char *verdict;
};

void PrintTo(const HeldCase &c, std::ostream *os)
{
    *os << c.name;
}

class AnswerWatchHeld : public ::testing::TestWithParam<HeldCase> {};

} // namespace

TEST_P(AnswerWatchHeld, AsksOnWhileAQuestionIsOutAndCountsMissesInAskingOrder)
{
    const HeldCase c = GetParam();
    QList<std::function<void(std::optional<qint64>)>> held;
    AnswerWatch watch([&](std::function<void(std::optional<qint64>)> done) { held.append(std::move(done)); }, 10);
    QSignalSpy noAnswer(&watch, &AnswerWatch::noAnswer);
    QSignalSpy hung(&watch, &AnswerWatch::hung);
    watch.start(60000);
    int needed = 0;
    for (const auto &release : c.releases)
        needed = std::max(needed, release.first);
    // A watch that waits for each answer before the next question never gets here.
    ASSERT_TRUE(waitUntil([&] { return held.size() >= needed; }, 10000));
    for (const auto &[question, reply] : c.releases) {
        held[question - 1](reply == Reply::Miss  ? std::nullopt
                           : reply == Reply::New ? std::optional<qint64>(QDateTime::currentMSecsSinceEpoch())
                                                 : std::optional<qint64>(0));
    }
    EXPECT_EQ(hung.size(), QByteArray(c.verdict) == "hung");
    EXPECT_EQ(noAnswer.size(), 0);
    EXPECT_EQ(watch.isRunning(), QByteArray(c.verdict).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Held, AnswerWatchHeld,
    ::testing::Values(
        HeldCase{"two_outstanding_both_missed", {{1, Reply::Miss}, {2, Reply::Miss}}, "hung"},
        HeldCase{"the_later_miss_arrives_first", {{2, Reply::Miss}, {1, Reply::Miss}}, "hung"},
        HeldCase{"first_lost_second_reaches_the_new_page", {{2, Reply::New}, {1, Reply::Miss}}, ""},
        HeldCase{"misses_apart_are_no_hang", {{1, Reply::Miss}, {2, Reply::New}, {3, Reply::Miss}}, ""},
        HeldCase{"misses_apart_arriving_together", {{1, Reply::Miss}, {3, Reply::Miss}, {2, Reply::New}}, ""},
        HeldCase{"an_answer_then_two_misses", {{1, Reply::New}, {3, Reply::Miss}, {2, Reply::Miss}}, "hung"}),
    [](const auto &info) { return std::string(info.param.name); });
