// The worker's door on loopback: senders outside the allowed list get nothing and open
// no notice, and a flood from one address gets its few answers while another address's
// polls are answered. 127.0.0.2 is a second source on the same machine.
#include "drive_fixture.h"
#include "loopback_socket.h"
#include "message_log.h"
#include "temperature_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

namespace {

// Polls the condition (for up to ten seconds); true once it holds.
bool WaitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 5000; ++i) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

// Datagrams waiting on the socket, taken off it.
unsigned Drain(const LoopbackSocket& socket)
{
    unsigned count = 0;
    while (socket.HasPending() && socket.Receive(nullptr, 100)) {
        ++count;
    }
    return count;
}

class ServerAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TakeShownMessages();
        ASSERT_TRUE(server_.StartUp());
        ASSERT_TRUE(other_.IsOpen());
    }

    void TearDown() override
    {
        // The stop comes from 127.0.0.1, which no list here allows: it works all the same.
        server_.StopServer(port_);
        EXPECT_FALSE(server_.HoldsWorker());
        server_.CleanUp();
    }

    void Start(const char* allowedHosts, std::uint32_t reportsPerSecond)
    {
        AccessRules rules;
        ASSERT_TRUE(MakeAccessRules(allowedHosts, reportsPerSecond, rules));
        server_.SetAccessRules(rules);
        port_ = FreeUdpPort();
        ASSERT_TRUE(server_.StartServer(port_));
        // Echoes from the allowed second address until the worker is there.
        ASSERT_TRUE(WaitUntil([&] {
            Drain(other_);
            return other_.SendTo(port_, {0x00}) && other_.Receive(nullptr, 20).has_value();
        }));
        Drain(other_);
    }

    std::unique_ptr<DriveState> drives_ = MakeDriveState({{2, 39, 47, "ST380011A", "3.06", "5JVABCDE"}});
    TemperatureServer server_{drives_->table};
    LoopbackSocket other_{"127.0.0.2"};
    std::uint16_t port_ = 0;
};

TEST_F(ServerAccessTest, SendersOutsideTheListGetNothingAndOpenNoNotice)
{
    Start("127.0.0.2/32, 10.0.0.0/8", 0);
    const LoopbackSocket outsider("127.0.0.1");
    const Bytes requests[] = {{0x01}, {0x00}, {0x02}, {0x11}, {0xFF}, {0x10, 0x00}};
    for (const Bytes& request : requests) {
        ASSERT_TRUE(outsider.SendTo(port_, request));
    }
    // The worker has looked at them all (the two-byte one is dropped before the list)...
    ASSERT_TRUE(WaitUntil([&] { return server_.Refused().notAllowed.load() == 5; }))
        << server_.Refused().notAllowed.load();
    // ...and still answers the allowed address, so nothing is still on its way.
    ASSERT_TRUE(other_.SendTo(port_, {0x01}));
    const auto report = other_.Receive();
    ASSERT_TRUE(report.has_value());
    ASSERT_EQ(report->size(), 1920u);
    EXPECT_EQ((*report)[240], 1);
    EXPECT_EQ((*report)[241], 39);

    EXPECT_FALSE(outsider.HasPending());
    EXPECT_EQ(server_.UnknownCommands(), 0u);
    EXPECT_TRUE(TakeShownMessages().empty()) << "no notice for a refused address";
    EXPECT_EQ(server_.Refused().tooOften.load(), 0u);
}

TEST_F(ServerAccessTest, TheDefaultListAnswersThisMachineAndItsUnknownCommandsStillRaiseTheNotice)
{
    Start(kDefaultAllowedHosts, 5);
    const LoopbackSocket local("127.0.0.1");
    ASSERT_TRUE(local.SendTo(port_, {0x01}));
    const auto report = local.Receive();
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(report->size(), 1920u);
    ASSERT_TRUE(local.SendTo(port_, {0x02}));
    ASSERT_TRUE(WaitUntil([&] { return server_.UnknownCommands() == 1; }));
    EXPECT_EQ(server_.Refused().notAllowed.load(), 0u);
}

// 10,000 report requests from one address at full speed. They go in slices small enough
// for the worker's receive queue, each slice waited for through the worker's own counts,
// so none is lost on the way and every answer is counted.
TEST_F(ServerAccessTest, AFloodFromOneAddressGetsItsFewAnswersWhileOthersAreServed)
{
    constexpr unsigned kFlood = 10000;
    constexpr unsigned kSlice = 50;
    constexpr unsigned kPollEvery = 2500;
    Start(kDefaultAllowedHosts, 5);
    const RateLimits limits = LimitsForReportsPerSecond(5);
    const LoopbackSocket flooder("127.0.0.1");

    unsigned answered = 0;
    unsigned polls = 0;
    const auto begin = std::chrono::steady_clock::now();
    for (unsigned sent = 0; sent < kFlood;) {
        for (unsigned i = 0; i < kSlice; ++i, ++sent) {
            ASSERT_TRUE(flooder.SendTo(port_, {0x01}));
        }
        ASSERT_TRUE(WaitUntil([&] {
            answered += Drain(flooder);
            return answered + server_.Refused().tooOften.load() == sent;
        })) << "sent " << sent << ", answered " << answered << ", refused " << server_.Refused().tooOften.load();
        if (sent % kPollEvery == 0) {
            // An ordinary poll from the other address is answered in the midst of it.
            ASSERT_TRUE(other_.SendTo(port_, {0x01}));
            const auto report = other_.Receive();
            ASSERT_TRUE(report.has_value()) << "poll " << polls;
            EXPECT_EQ(report->size(), 1920u);
            ++polls;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const unsigned bound = limits.perSourceBurst + static_cast<unsigned>(std::ceil(limits.perSourcePerSecond * seconds));
    EXPECT_LE(answered, bound) << "in " << seconds << " s";
    EXPECT_GE(server_.Refused().tooOften.load(), kFlood - bound);
    EXPECT_EQ(polls, kFlood / kPollEvery);
    EXPECT_EQ(server_.Refused().notAllowed.load(), 0u);
    // Echoes count against the same bucket: the flooder's is empty now.
    ASSERT_TRUE(flooder.SendTo(port_, {0x00}));
    ASSERT_TRUE(WaitUntil([&] {
        answered += Drain(flooder);
        return answered + server_.Refused().tooOften.load() == kFlood + 1;
    }));
    EXPECT_LE(answered, limits.perSourceBurst + static_cast<unsigned>(std::ceil(limits.perSourcePerSecond * (seconds + 1))));
}

} // namespace
