// UDPSERVER and UDPCLIENT natively, against plain BSD sockets on loopback.
#include "loopback_socket.h"
#include "udpclient.h"
#include "udpserver.h"
#include "ws32lib.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

class UdpSocketTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(WS32LIB_LoadDLL(), 0); }
    void TearDown() override { WS32LIB_UnloadDLL(); }
};

TEST_F(UdpSocketTest, BindFailsWithMinusTwoOnAPortInUse)
{
    const LoopbackSocket holder("0.0.0.0", 0);
    ASSERT_TRUE(holder.IsOpen());
    UDPSERVER server;
    EXPECT_EQ(server.Bind(holder.Port()), kUdpOtherFailure);

    UDPSERVER free;
    EXPECT_EQ(free.Bind(FreeUdpPort()), 0);
}

TEST_F(UdpSocketTest, ServerWaitTimesOutWithMinusTenAndReportsReadableWithItsSocket)
{
    UDPSERVER server;
    const std::uint16_t port = FreeUdpPort();
    ASSERT_EQ(server.Bind(port), 0);
    server.SetWait(1);
    EXPECT_EQ(server.Wait(), kUdpTimedOut);

    const LoopbackSocket peer;
    ASSERT_TRUE(peer.SendTo(port, {0x42}));
    EXPECT_EQ(server.Wait(), static_cast<int>(server.Socket()));
}

TEST_F(UdpSocketTest, WaitOnASocketThatIsNotOpenFailsInsteadOfBlocking)
{
    UDPSERVER server;
    server.SetWait(0);
    EXPECT_EQ(server.Wait(), kUdpFailed);
    ASSERT_EQ(server.Bind(FreeUdpPort()), 0);
    server.Close();
    EXPECT_EQ(server.Wait(), kUdpFailed);
}

// A one-byte receive takes exactly one-byte datagrams; every other length fails and the
// datagram is gone, so the next one is read normally.
TEST_F(UdpSocketTest, OneByteReceiveRejectsEveryOtherLength)
{
    struct LengthCase {
        std::size_t length;
        int expected;
    };
    const LengthCase cases[] = {{1, 1}, {0, kUdpFailed}, {2, kUdpFailed}, {1920, kUdpFailed}, {1921, kUdpFailed}};

    UDPSERVER server;
    const std::uint16_t port = FreeUdpPort();
    ASSERT_EQ(server.Bind(port), 0);
    const LoopbackSocket peer;
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.length);
        ASSERT_TRUE(peer.SendTo(port, Bytes(c.length, 0x01)));
        ASSERT_TRUE(peer.SendTo(port, {0x07}));
        char byte = 0;
        EXPECT_EQ(server.Receive(server.Socket(), &byte, 1), c.expected);
        byte = 0;
        EXPECT_EQ(server.Receive(server.Socket(), &byte, 1), 1);
        EXPECT_EQ(byte, 0x07);
    }
}

TEST_F(UdpSocketTest, ReplyGoesToTheSenderOfTheLastDatagram)
{
    UDPSERVER server;
    const std::uint16_t port = FreeUdpPort();
    ASSERT_EQ(server.Bind(port), 0);
    const LoopbackSocket peer;
    ASSERT_TRUE(peer.SendTo(port, {0x00}));
    char byte = 0;
    ASSERT_EQ(server.Receive(server.Socket(), &byte, 1), 1);
    const char answer[3] = {'a', 'b', 'c'};
    EXPECT_EQ(server.Reply(server.Socket(), answer, 3), 0);
    EXPECT_EQ(peer.Receive(), Bytes({'a', 'b', 'c'}));
}

TEST_F(UdpSocketTest, PeerIsLoopbackForTheWholeLoopbackNetworkOnly)
{
    struct PeerCase {
        std::string address;
        bool loopback;
    };
    std::vector<PeerCase> cases = {{"127.0.0.1", true}, {"127.0.0.2", true}, {"127.255.255.254", true}};
    const std::string outside = NonLoopbackAddress();
    ASSERT_FALSE(outside.empty()) << "no non-loopback IPv4 address (tests/support/private_network.sh gives one)";
    cases.push_back({outside, false});
    UDPSERVER server;
    const std::uint16_t port = FreeUdpPort();
    ASSERT_EQ(server.Bind(port), 0);
    for (const PeerCase& c : cases) {
        SCOPED_TRACE(c.address);
        const LoopbackSocket peer(c.address.c_str());
        ASSERT_TRUE(peer.IsOpen());
        ASSERT_TRUE(peer.SendTo(port, {0x00}, c.address.c_str()));
        char byte = 0;
        ASSERT_EQ(server.Receive(server.Socket(), &byte, 1), 1);
        EXPECT_EQ(server.PeerIsLoopback(), c.loopback);
    }
}

TEST_F(UdpSocketTest, ClientSendsToTheOpenedHostAndReceivesFromAnySender)
{
    const LoopbackSocket server;
    UDPCLIENT client;
    ASSERT_EQ(client.Open("127.0.0.1", server.Port()), 0);
    ASSERT_EQ(client.Send("\x01", 1), 0);
    sockaddr_in clientAddress{};
    ASSERT_EQ(server.Receive(&clientAddress), Bytes({0x01}));

    client.SetWait(1);
    EXPECT_EQ(client.Wait(), kUdpTimedOut);

    const LoopbackSocket other("127.0.0.3");
    ASSERT_TRUE(other.SendTo(ntohs(clientAddress.sin_port), {'h', 'i'}));
    client.SetWait(0);
    EXPECT_EQ(client.Wait(), kUdpClientReadable);
    char buffer[8] = {};
    EXPECT_EQ(client.Receive(buffer, sizeof buffer), 2);
    EXPECT_EQ(std::string(buffer, 2), "hi");
    char senderText[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &client.PeerAddress().sin_addr, senderText, sizeof senderText);
    EXPECT_STREQ(senderText, "127.0.0.3");
}

TEST_F(UdpSocketTest, ClientReceiveFailsForEmptyAndOversizedDatagrams)
{
    const LoopbackSocket server;
    UDPCLIENT client;
    ASSERT_EQ(client.Open("127.0.0.1", server.Port()), 0);
    ASSERT_EQ(client.Send("\x01", 1), 0);
    sockaddr_in clientAddress{};
    ASSERT_TRUE(server.Receive(&clientAddress));
    const std::uint16_t clientPort = ntohs(clientAddress.sin_port);

    char buffer[1920];
    ASSERT_TRUE(server.SendTo(clientPort, {}));
    EXPECT_EQ(client.Receive(buffer, sizeof buffer), kUdpFailed);
    ASSERT_TRUE(server.SendTo(clientPort, Bytes(1921, 0x01)));
    EXPECT_EQ(client.Receive(buffer, sizeof buffer), kUdpFailed);
    ASSERT_TRUE(server.SendTo(clientPort, Bytes(1920, 0x01)));
    EXPECT_EQ(client.Receive(buffer, sizeof buffer), 1920);
}

} // namespace
