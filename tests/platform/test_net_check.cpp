#include "platform/net/net_check.h"
#include "test_app.h"

#include <QObject>

#include <gtest/gtest.h>


namespace {

// Runs one check and returns its answers once the first has come.
QList<bool> answersFor(const QString &host)
{
    NetCheck check(host);
    QObject context;
    QList<bool> answers;
    check.CheckNetOpen(&context, [&answers](bool reachable) { answers.append(reachable); });
    EXPECT_TRUE(answers.isEmpty()) << "the answer comes later, from the event loop";
    EXPECT_TRUE(waitUntil([&answers] { return !answers.isEmpty(); }, 120000));
    return answers;
}

} // namespace

TEST(NetCheck, ResolvableHostIsReachable)
{
    EXPECT_EQ(answersFor(QStringLiteral("localhost")), QList<bool>{true});
}

TEST(NetCheck, UnresolvableHostIsNotReachable)
{
    EXPECT_EQ(answersFor(QStringLiteral("no-such-host.invalid")), QList<bool>{false});
}

TEST(NetCheck, NoAnswerAfterTheContextIsGone)
{
    NetCheck check(QStringLiteral("localhost"));
    bool called = false;
    {
        QObject gone;
        check.CheckNetOpen(&gone, [&called](bool) { called = true; });
    }
    // A second check of the same host is answered after the first would have been.
    QObject context;
    bool second = false;
    check.CheckNetOpen(&context, [&second](bool) { second = true; });
    ASSERT_TRUE(waitUntil([&second] { return second; }));
    EXPECT_FALSE(called);
}
