#include "mqtt_publisher.h"
#include "ws32_calls.h"
#include "ws32lib.h"
#include "ws32_stream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// The dialog's test against a "broker" that takes the connection and never answers:
// told to stop, it ends within its read slice, not at its 5 s wait for the answer.
TEST(MqttTestConnectionTest, StopsSoonWhenCancelled)
{
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    Ws32StartupRecord startup{};
    ASSERT_EQ(Ws32StartSockets(startup), 0);
    const Ws32Socket silent = Ws32OpenListener(ws32_htonl(0x7F000001), 0, 1);
    ASSERT_NE(silent, kInvalidSocket);
    MqttSettings settings;
    settings.host = "127.0.0.1";
    settings.port = Ws32LocalPort(silent);

    std::atomic<bool> cancel{false};
    std::string result;
    bool connected = true;
    const auto start = std::chrono::steady_clock::now();
    std::thread test([&] { connected = TestMqttConnection(settings, "kelvix-test", result, &cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancel = true;
    test.join();
    const auto took = std::chrono::steady_clock::now() - start;

    EXPECT_FALSE(connected);
    EXPECT_EQ(result, "stopped while connecting");
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    // ...and its connection is closed by then.
    sockaddr_in peer{};
    const Ws32Socket accepted = Ws32Accept(silent, peer);
    ASSERT_NE(accepted, kInvalidSocket);
    Ws32SetNonBlocking(accepted);
    char buffer[256];
    int count = 0;
    StreamResult read = StreamResult::Done;
    while (read == StreamResult::Done) {
        read = Ws32Receive(accepted, buffer, sizeof buffer, count);  // the CONNECT packet, then the end
    }
    const auto closedAfter = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(read, StreamResult::Closed);
    ws32_closesocket(accepted);
    ws32_closesocket(silent);
    Ws32EndSockets();
    WS32LIB_UnloadDLL();
}

}  // namespace
