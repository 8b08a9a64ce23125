// The socket classes through the resolved WSOCK32.DLL calls (Windows build, under Wine).
// The library is loaded once for the whole program: Wine 8 hands out sockets it no longer
// recognises (WSAENOTSOCK) after WSOCK32.DLL was freed and loaded again in one process,
// which the programs never do.
#include "udpclient.h"
#include "udpserver.h"
#include "ws32_calls.h"
#include "ws32lib.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class Ws32SocketsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        loaded_ = WS32LIB_LoadDLL() == 0 && Ws32StartSockets(startup_) == 0;
    }
    static void TearDownTestSuite()
    {
        Ws32EndSockets();
        WS32LIB_UnloadDLL();
    }
    void SetUp() override
    {
        ASSERT_TRUE(loaded_);
        EXPECT_EQ(startup_.wVersion, 0x0101);
    }

    // Binds the server to a free port and returns it.
    std::uint32_t BindSomewhere(UDPSERVER& server)
    {
        for (std::uint32_t port = 20000 + GetCurrentProcessId() % 20000; port < 65000; ++port) {
            if (server.Bind(port) == 0) {
                return port;
            }
        }
        ADD_FAILURE() << "no free port";
        return 0;
    }

    static inline bool loaded_ = false;
    static inline Ws32StartupRecord startup_{};
};

TEST_F(Ws32SocketsTest, EchoThroughTheResolvedCalls)
{
    UDPSERVER server;
    const std::uint32_t port = BindSomewhere(server);
    server.SetWait(1);
    EXPECT_EQ(server.Wait(), kUdpTimedOut);

    UDPCLIENT client;
    ASSERT_EQ(client.Open("127.0.0.1", port), 0);
    ASSERT_EQ(client.Send("\x2A", 1), 0);
    server.SetWait(0);
    ASSERT_GE(server.Wait(), 0);
    char command = 0;
    ASSERT_EQ(server.Receive(server.Socket(), &command, 1), 1);
    EXPECT_EQ(command, '\x2A');
    EXPECT_TRUE(server.PeerIsLoopback());
    ASSERT_EQ(server.Reply(server.Socket(), "pong", 4), 0);

    client.SetWait(0);
    EXPECT_EQ(client.Wait(), kUdpClientReadable);
    char answer[16] = {};
    EXPECT_EQ(client.Receive(answer, sizeof answer), 4);
    EXPECT_STREQ(answer, "pong");
}

TEST_F(Ws32SocketsTest, OneByteReceiveFailsForLongerAndEmptyDatagrams)
{
    UDPSERVER server;
    const std::uint32_t port = BindSomewhere(server);
    UDPCLIENT client;
    ASSERT_EQ(client.Open("127.0.0.1", port), 0);
    for (int length : {2, 1920, 0}) {
        SCOPED_TRACE(length);
        static const char bytes[1920] = {};
        ASSERT_EQ(client.Send(bytes, length), 0);
        ASSERT_EQ(client.Send("\x07", 1), 0);
        char command = 0;
        EXPECT_EQ(server.Receive(server.Socket(), &command, 1), kUdpFailed);
        EXPECT_EQ(server.Receive(server.Socket(), &command, 1), 1);
        EXPECT_EQ(command, '\x07');
    }
}

} // namespace
