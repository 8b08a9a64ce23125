// The temperature service natively: the worker on a free loopback port, driven by plain
// BSD sockets; message boxes are read back from the native message log.
#include "drive_fixture.h"
#include "loopback_socket.h"
#include "message_log.h"
#include "temperature_server.h"
#include "ws32lib.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

const ShownMessage kUnknownCommandNotice{MessageKind::Notice, 15};
const ShownMessage kBindFailedError{MessageKind::Error, 11};


// A thread that has not run yet gets this long (generous: sanitizers, a loaded machine);
// the waits below end as soon as what they wait for is there.
constexpr auto kThreadPatience = std::chrono::seconds(30);

// The notice comes from a thread of its own, which may not have run yet: waits for
// `count` messages and takes what was shown by then.
std::vector<ShownMessage> TakeShownMessagesOnceThere(std::size_t count)
{
    std::vector<ShownMessage> shown = TakeShownMessages();
    const auto end = std::chrono::steady_clock::now() + kThreadPatience;
    while (shown.size() < count && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        for (const ShownMessage& message : TakeShownMessages()) {
            shown.push_back(message);
        }
    }
    return shown;
}

class TemperatureServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TakeShownMessages();
        ASSERT_TRUE(server_.StartUp());
        ASSERT_EQ(WS32LIB_GetLoadCount(), 1u);
    }

    void TearDown() override
    {
        server_.StopServer(port_);
        server_.CleanUp();
        EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
    }

    void StartServing()
    {
        port_ = FreeUdpPort();
        ASSERT_TRUE(server_.StartServer(port_));
        ASSERT_TRUE(WaitUntilServing(port_)) << "the worker never answered on port " << port_;
    }

    // An echo answered next proves the worker is alive and sent nothing for what came before.
    void ExpectEchoAnsweredNext()
    {
        ASSERT_TRUE(client_.SendTo(port_, {0x00}));
        EXPECT_EQ(client_.Receive(), Bytes({0x00}));
    }

    std::unique_ptr<DriveState> drives_ = MakeDriveState({
        {0, 38, 45, "ST380011A", "3.06", "5JVABCDE"},
        {5, 41, 52, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ", "05.01C05", "WD-WMAM9A123456"},
    });
    TemperatureServer server_{drives_->table};
    LoopbackSocket client_;
    std::uint16_t port_ = 0;
};

TEST_F(TemperatureServerTest, ReportCommandAnswersWithTheDriveReport)
{
    StartServing();
    Bytes expected(1920, 0);
    const auto put = [&](std::size_t offset, const char* text) {
        std::memcpy(expected.data() + offset, text, std::strlen(text));
    };
    expected[0] = 1;
    expected[1] = 38;
    expected[2] = 45;
    put(8, "ST380011A");
    put(72, "3.06");
    put(88, "5JVABCDE");
    expected[600] = 1;
    expected[601] = 41;
    expected[602] = 52;
    put(608, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ");  // NUL at record offset 48
    put(672, "05.01C05");
    put(688, "WD-WMAM9A123456");

    ASSERT_TRUE(client_.SendTo(port_, {0x01}));
    EXPECT_EQ(client_.Receive(), expected);
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(TemperatureServerTest, DatagramsNotOneByteLongGetNoAnswerAndServingGoesOn)
{
    StartServing();
    for (std::size_t length : {0u, 2u, 1920u, 4000u}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(client_.SendTo(port_, Bytes(length, 0x01)));
        ExpectEchoAnsweredNext();
    }
    EXPECT_FALSE(client_.HasPending());
    EXPECT_TRUE(TakeShownMessages().empty());
}

// Nobody clicks OK here: the notice stays open while junk arrives, and the worker serves on.
TEST_F(TemperatureServerTest, UnknownCommandsOpenOneNoticeThatHoldsNothing)
{
    StartServing();
    HoldNotices(true);
    for (const Bytes& junk : {Bytes{0x02}, Bytes{}, Bytes{0x11}, Bytes(4000, 0x02), Bytes{0xFF}}) {
        ASSERT_TRUE(client_.SendTo(port_, junk));
    }
    ASSERT_TRUE(client_.SendTo(port_, {0x01}));
    const auto report = client_.Receive();
    ASSERT_TRUE(report) << "a report query right after junk is answered";
    EXPECT_EQ(report->size(), 1920u);
    EXPECT_EQ(server_.UnknownCommands(), 3u);
    EXPECT_TRUE(server_.NoticeOpen());
    server_.StopServer(port_);
    EXPECT_FALSE(server_.HoldsWorker()) << "the stop does not wait for the open notice";
    EXPECT_EQ(TakeShownMessagesOnceThere(1), std::vector<ShownMessage>({kUnknownCommandNotice}));

    // Once dismissed, the next unknown command opens a notice again.
    HoldNotices(false);
    const auto end = std::chrono::steady_clock::now() + kThreadPatience;
    while (server_.NoticeOpen() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_FALSE(server_.NoticeOpen());
    StartServing();
    ASSERT_TRUE(client_.SendTo(port_, {0x02}));
    ExpectEchoAnsweredNext();
    EXPECT_EQ(server_.UnknownCommands(), 4u);
    EXPECT_EQ(TakeShownMessagesOnceThere(1), std::vector<ShownMessage>({kUnknownCommandNotice}));
}

TEST_F(TemperatureServerTest, StopServerEndsTheWorkerAndFreesThePort)
{
    StartServing();
    server_.StopServer(port_);
    EXPECT_FALSE(server_.HoldsWorker());
    const LoopbackSocket rebind("0.0.0.0", port_);
    EXPECT_TRUE(rebind.IsOpen()) << "the worker's socket is closed once stop returns";
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(TemperatureServerTest, StopCommandFromAnyLoopbackAddressEndsTheWorker)
{
    StartServing();
    const LoopbackSocket local("127.0.0.2");
    ASSERT_TRUE(local.SendTo(port_, {0x10}));
    ASSERT_TRUE(client_.SendTo(port_, {0x00}));
    EXPECT_TRUE(server_.HoldsWorker()) << "the handle stays held until stop server";
    server_.StopServer(port_);
    EXPECT_FALSE(server_.HoldsWorker());
    // The worker had ended before the echo: it was never answered.
    EXPECT_FALSE(client_.HasPending());
}

TEST_F(TemperatureServerTest, StopCommandFromAnotherHostIsIgnoredSilently)
{
    const std::string outside = NonLoopbackAddress();
    ASSERT_FALSE(outside.empty()) << "no non-loopback IPv4 address (tests/support/private_network.sh gives one)";
    StartServing();
    const LoopbackSocket remote(outside.c_str());
    ASSERT_TRUE(remote.IsOpen());
    ASSERT_TRUE(remote.SendTo(port_, {0x10}, outside.c_str()));
    ExpectEchoAnsweredNext();
    EXPECT_FALSE(remote.HasPending());
    EXPECT_TRUE(TakeShownMessages().empty());
}

TEST_F(TemperatureServerTest, PortInUseRaisesBindErrorAndLaterStopReturns)
{
    const LoopbackSocket holder("0.0.0.0", 0);
    ASSERT_TRUE(holder.IsOpen());
    port_ = holder.Port();
    ASSERT_TRUE(server_.StartServer(port_));
    server_.StopServer(port_);  // finds the worker already ended
    EXPECT_FALSE(server_.HoldsWorker());
    EXPECT_EQ(TakeShownMessages(), std::vector<ShownMessage>({kBindFailedError}));
    EXPECT_EQ(holder.Receive(), Bytes({0x10})) << "the stop byte went to the port's owner";
}

TEST_F(TemperatureServerTest, StartServerWhileAWorkerIsHeldFailsWithoutMessage)
{
    StartServing();
    EXPECT_FALSE(server_.StartServer(FreeUdpPort()));
    EXPECT_TRUE(TakeShownMessages().empty());
    ExpectEchoAnsweredNext();
}

TEST_F(TemperatureServerTest, ServerStartsAgainAfterAStop)
{
    StartServing();
    server_.StopServer(port_);
    StartServing();
    ASSERT_TRUE(client_.SendTo(port_, {0x01}));
    const auto report = client_.Receive();
    ASSERT_TRUE(report);
    EXPECT_EQ(report->size(), 1920u);
}

TEST(TemperatureServerStart, LibraryLoadedBesideTheStartIsTakenOnceAndReleased)
{
    auto drives = MakeDriveState({});
    TakeShownMessages();
    {
        TemperatureServer server(drives->table);
        server.BeginStartUp();
        server.BeginStartUp();  // a second call while loading changes nothing
        ASSERT_TRUE(server.StartUp());
        EXPECT_EQ(WS32LIB_GetLoadCount(), 1u);
        server.CleanUp();
        EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
    }
    {
        TemperatureServer server(drives->table);
        server.BeginStartUp();
        server.CleanUp();  // the start failed before the sockets were wanted
        EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
        server.BeginStartUp();
    }  // ends with a loading nobody took
    EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
    EXPECT_TRUE(TakeShownMessages().empty());
}

} // namespace
