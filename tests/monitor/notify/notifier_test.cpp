// The sending thread over a fake transport: retries with doubling waits, the bounded
// queue, counts that never call a failure delivered, and a stop that breaks off.
#include "notifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Answers with the statuses given, one per call (the last repeats); may hold each call
// until released.
struct FakeWeb {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<long> statuses;
    std::vector<Clock::time_point> calls;
    std::vector<WebRequest> requests;
    bool hold = false;
    bool ignoreCancel = false;  // as WinHTTP under Wine
    bool returned = false;

    NotifyTransport Transport()
    {
        NotifyTransport transport;
        transport.web = [this](const WebRequest& request, CancelToken& cancel) {
            std::unique_lock<std::mutex> lock(mutex);
            calls.push_back(Clock::now());
            requests.push_back(request);
            changed.notify_all();
            while (hold && (ignoreCancel || !cancel.Cancelled())) {
                changed.wait_for(lock, std::chrono::milliseconds(10));
            }
            returned = true;
            WebOutcome outcome;
            if (cancel.Cancelled()) {
                outcome.error = "stopped";
                return outcome;
            }
            outcome.status = statuses[std::min(calls.size(), statuses.size()) - 1];
            outcome.delivered = outcome.status == 200;
            return outcome;
        };
        transport.command = [](const std::string&, const std::vector<std::string>&, unsigned, CancelToken&) {
            return CommandOutcome();
        };
        return transport;
    }
    bool WaitForCalls(std::size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [this, count]() { return calls.size() >= count; });
    }
};

NotifySettings WebSettings(unsigned retries)
{
    NotifySettings settings;
    settings.url = "http://127.0.0.1:9/x";
    settings.retries = retries;
    settings.retryWait = 2;
    return settings;
}

bool WaitForCounts(const Notifier& notifier, std::uint64_t delivered, std::uint64_t failed)
{
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < until) {
        const NotifyCounts counts = notifier.Counts();
        if (counts.delivered == delivered && counts.failed == failed) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(Notifier, RetriesWithDoublingWaitsUntilDelivered)
{
    FakeWeb web;
    web.statuses = {500, 503, 200};
    std::vector<std::string> log;
    std::mutex logMutex;
    Notifier notifier([&](const std::string& line) { std::lock_guard<std::mutex> l(logMutex); log.push_back(line); },
                      web.Transport());
    notifier.SetRetryUnitMs(20);  // waits of 40 and 80 ms
    notifier.Start(WebSettings(3), "pc1");
    ASSERT_TRUE(notifier.Post(MakeTestEvent(0)));
    ASSERT_TRUE(WaitForCounts(notifier, 1, 0));
    ASSERT_EQ(web.calls.size(), 3u);
    EXPECT_GE(web.calls[1] - web.calls[0], std::chrono::milliseconds(40));
    EXPECT_GE(web.calls[2] - web.calls[1], std::chrono::milliseconds(80));
    notifier.Stop();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0], "notify: test to http://127.0.0.1:9/x (try 1 of 4): failed: HTTP status 500");
    EXPECT_EQ(log[2], "notify: test to http://127.0.0.1:9/x (try 3 of 4): delivered: HTTP status 200");
}

TEST(Notifier, GivesUpAfterTheRetriesAndCountsAFailure)
{
    FakeWeb web;
    web.statuses = {500};
    Notifier notifier([](const std::string&) {}, web.Transport());
    notifier.SetRetryUnitMs(1);
    notifier.Start(WebSettings(2), "pc1");
    notifier.Post(MakeTestEvent(0));
    ASSERT_TRUE(WaitForCounts(notifier, 0, 1));
    EXPECT_EQ(web.calls.size(), 3u);
}

TEST(Notifier, FullQueueRefusesAndCountsWithoutWaiting)
{
    FakeWeb web;
    web.statuses = {200};
    web.hold = true;  // the receiver hangs
    Notifier notifier([](const std::string&) {}, web.Transport());
    notifier.Start(WebSettings(0), "pc1");
    notifier.Post(MakeTestEvent(0));
    ASSERT_TRUE(web.WaitForCalls(1));  // the first is being sent, the queue is empty
    const auto start = Clock::now();
    for (unsigned i = 0; i < Notifier::kMaxQueued; ++i) {
        EXPECT_TRUE(notifier.Post(MakeTestEvent(0))) << i;
    }
    EXPECT_FALSE(notifier.Post(MakeTestEvent(0)));
    EXPECT_FALSE(notifier.Post(MakeTestEvent(0)));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));  // posting never waits for the sender
    EXPECT_EQ(notifier.Counts().failed, 2u);
    // Stopping breaks off the hanging call; what still waited is counted, not sent.
    notifier.Stop();
    EXPECT_EQ(notifier.Counts().failed, 2u + Notifier::kMaxQueued + 1);
    EXPECT_EQ(notifier.Counts().delivered, 0u);
}

TEST(Notifier, AFullQueueIsLoggedOncePerBurst)
{
    FakeWeb web;
    web.statuses = {200};
    web.hold = true;
    std::vector<std::string> log;
    std::mutex logMutex;
    Notifier notifier([&](const std::string& line) { std::lock_guard<std::mutex> l(logMutex); log.push_back(line); },
                      web.Transport());
    notifier.Start(WebSettings(0), "pc1");
    notifier.Post(MakeTestEvent(0));
    ASSERT_TRUE(web.WaitForCalls(1));
    for (unsigned i = 0; i < Notifier::kMaxQueued + 5; ++i) {
        notifier.Post(MakeTestEvent(0));
    }
    const auto refusals = [&]() {
        std::lock_guard<std::mutex> l(logMutex);
        return std::count_if(log.begin(), log.end(), [](const std::string& line) {
            return line.find("events already waiting") != std::string::npos;
        });
    };
    EXPECT_EQ(refusals(), 1) << "five refusals, one line";
    {
        std::lock_guard<std::mutex> lock(web.mutex);
        web.hold = false;
    }
    ASSERT_TRUE(WaitForCounts(notifier, 1 + Notifier::kMaxQueued, 5));
    EXPECT_TRUE(notifier.Post(MakeTestEvent(0)));
    notifier.Stop();
    EXPECT_EQ(refusals(), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "notify: the queue has room again: 5 events were not sent while it "
                                                 "was full"),
              1);
}

TEST(Notifier, TheChosenEventsGoOutWithTheirUrgency)
{
    struct Case {
        BodyKind body;
        const char* ownHeader;
        NotifyEventKind kind;
        bool sent;
        std::vector<std::string> headers;  // the request's
        const char* bodyPriority;          // in the JSON body, or nullptr for none
    } const cases[] = {
        {BodyKind::Text, "", NotifyEventKind::Hot, true, {"Title: pc1: a drive is hot", "Priority: 5"}, nullptr},
        {BodyKind::Text, "", NotifyEventKind::HealthWorse, true, {"Title: pc1: a drive's health got worse"}, nullptr},
        {BodyKind::Text, "", NotifyEventKind::Cooled, false, {}, nullptr},
        {BodyKind::Text, "", NotifyEventKind::Test, true, {"Title: pc1: test notification", "Priority: 2"}, nullptr},
        {BodyKind::Text, "title: mine", NotifyEventKind::Hot, true, {"title: mine", "Priority: 5"}, nullptr},
        {BodyKind::Text, "Priority: 1", NotifyEventKind::Hot, true, {"Priority: 1", "Title: pc1: a drive is hot"},
         nullptr},
        {BodyKind::Json, "", NotifyEventKind::Hot, true, {"Priority: 5"}, "\"priority\":10}"},
        {BodyKind::Json, "", NotifyEventKind::Test, true, {"Priority: 2"}, "\"priority\":3}"},
        {BodyKind::Json, "", NotifyEventKind::HealthWorse, true, {}, nullptr},
        {BodyKind::Json, "", NotifyEventKind::Lost, false, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(EventName(c.kind)) + (c.body == BodyKind::Json ? " json " : " text ") + c.ownHeader);
        FakeWeb web;
        web.statuses = {200};
        Notifier notifier([](const std::string&) {}, web.Transport());
        NotifySettings settings = WebSettings(0);
        settings.body = c.body;
        settings.headers[0] = c.ownHeader;
        settings.events = "hot, health_worse";
        settings.urgency = "hot=urgent test=low";
        notifier.Start(settings, "pc1");
        NotifyEvent event = MakeTestEvent(0);
        event.kind = c.kind;
        EXPECT_TRUE(notifier.Post(event));
        notifier.Post(MakeTestEvent(0));  // a second event, always sent, marks the end
        ASSERT_TRUE(WaitForCounts(notifier, c.sent ? 2 : 1, 0));
        notifier.Stop();
        ASSERT_EQ(web.requests.size(), c.sent ? 2u : 1u);
        if (!c.sent) {
            continue;
        }
        EXPECT_EQ(web.requests[0].headers, c.headers);
        const std::string& body = web.requests[0].body;
        EXPECT_EQ(body.find("\"priority\""), c.bodyPriority == nullptr ? std::string::npos : body.find(c.bodyPriority))
            << body;
    }
}

TEST(Notifier, StopDoesNotWaitForACallThatCannotBeBrokenOff)
{
    FakeWeb web;
    web.statuses = {200};
    web.hold = true;
    web.ignoreCancel = true;
    std::atomic<int> lines{0};
    {
        Notifier notifier([&lines](const std::string&) { ++lines; }, web.Transport());
        notifier.Start(WebSettings(0), "pc1");
        notifier.Post(MakeTestEvent(0));
        ASSERT_TRUE(web.WaitForCalls(1));
        const auto start = Clock::now();
        notifier.Stop();
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(Notifier::kStopWaitMs + 1000));
    }
    // The call ends after its Notifier has gone: it logs nothing and touches nothing of it.
    {
        std::lock_guard<std::mutex> lock(web.mutex);
        web.hold = false;
    }
    const auto until = Clock::now() + std::chrono::seconds(5);
    for (bool done = false; !done && Clock::now() < until;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::lock_guard<std::mutex> lock(web.mutex);
        done = web.returned;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(lines.load(), 0);
}

TEST(Notifier, NothingRunsWithoutAWayOut)
{
    FakeWeb web;
    web.statuses = {200};
    Notifier notifier([](const std::string&) {}, web.Transport());
    notifier.Start(NotifySettings(), "pc1");
    EXPECT_FALSE(notifier.Post(MakeTestEvent(0)));
    EXPECT_EQ(DescribeResult(SendResult()), "nothing to send to: no URL and no command");
}

// After "Delivered: " or "Not delivered: " a way's own verdict is said only where it differs.
TEST(Notifier, TheResultAfterTheVerdictSaysEachVerdictOnce)
{
    SendResult web;
    web.webTried = true;
    web.web.delivered = true;
    web.web.status = 200;
    SendResult refused = web;
    refused.web.delivered = false;
    refused.web.status = 500;
    SendResult silent;
    silent.webTried = true;
    silent.web.error = "time-out";
    SendResult both = web;
    both.commandTried = true;
    both.command.started = true;
    both.command.exitStatus = 2;
    const struct {
        const SendResult& result;
        const char* text;
    } cases[] = {
        {web, "web request: HTTP status 200"},
        {refused, "web request: HTTP status 500"},
        {silent, "web request: no answer (time-out)"},
        {both, "web request: delivered: HTTP status 200; command: exit status 2"},
        {SendResult(), "nothing to send to: no URL and no command"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeResultAfterVerdict(c.result), c.text);
    }
}

}  // namespace
