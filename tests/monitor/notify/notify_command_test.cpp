// The command runner on the real shell: the event's facts in its environment, its exit
// status and first line, the time-out.
#include "notify_text.h"
#include "notify_transport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

TEST(NotifyCommand, GetsTheFactsInItsEnvironment)
{
    CancelToken cancel;
    NotifyEvent event = MakeTestEvent(0);
    const CommandOutcome outcome = RunNotifyCommand(
        "printf '%s|%s|%s\\nsecond line\\n' \"$KELVIX_EVENT\" \"$KELVIX_HOST\" \"$KELVIX_HEALTH\"; exit 3",
        EventEnvironment(event, "pc1"), 5000, cancel);
    EXPECT_TRUE(outcome.started);
    EXPECT_FALSE(outcome.delivered);
    EXPECT_EQ(outcome.exitStatus, 3);
    EXPECT_EQ(outcome.firstLine, "test|pc1|unknown");
    EXPECT_EQ(DescribeCommand(outcome), "failed: exit status 3, output \"test|pc1|unknown\"");
}

TEST(NotifyCommand, IsEndedAfterItsTimeOut)
{
    CancelToken cancel;
    const auto start = std::chrono::steady_clock::now();
    const CommandOutcome outcome = RunNotifyCommand("echo started; sleep 20", {}, 300, cancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_FALSE(outcome.delivered);
    EXPECT_EQ(outcome.firstLine, "started");
}

TEST(NotifyCommand, ExitZeroIsDelivered)
{
    CancelToken cancel;
    const CommandOutcome outcome = RunNotifyCommand("true", {}, 5000, cancel);
    EXPECT_TRUE(outcome.delivered);
    EXPECT_EQ(DescribeCommand(outcome), "delivered: exit status 0");
}

}  // namespace
