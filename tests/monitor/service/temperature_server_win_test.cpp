// The temperature service in the Windows build (under Wine): start up, a report and an
// echo through the real WSOCK32.DLL, stop server and clean up.
#include "drive_fixture.h"
#include "query_protocol.h"
#include "temperature_server.h"
#include "udpclient.h"
#include "udpserver.h"
#include "ws32lib.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace {

// A port that nothing holds right now.
std::uint32_t FreePort()
{
    UDPSERVER probe;
    for (std::uint32_t port = 30000 + GetCurrentProcessId() % 20000; port < 65000; ++port) {
        if (probe.Bind(port) == 0) {
            return port;
        }
    }
    return 0;
}

// One request and its answer; 0 bytes when nothing came within the wait.
int Ask(std::uint32_t port, char command, char* answer, int length)
{
    UDPCLIENT client;
    if (client.Open("127.0.0.1", port) != 0 || client.Send(&command, 1) != 0) {
        return -1;
    }
    client.SetWait(200);
    if (client.Wait() != kUdpClientReadable) {
        return 0;
    }
    return client.Receive(answer, length);
}

TEST(TemperatureServerWindowsTest, AnswersEchoAndReportThenStops)
{
    const auto drives = MakeDriveState({{5, 41, 52, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ", "05.01C05", "WD-1"}});
    TemperatureServer service(drives->table);
    ASSERT_TRUE(service.StartUp());
    EXPECT_EQ(WS32LIB_GetLoadCount(), 1u);
    const std::uint32_t port = FreePort();
    ASSERT_NE(port, 0u);
    ASSERT_TRUE(service.StartServer(port));

    // The worker binds on its own thread: ask until it answers.
    char echo = 1;
    int echoed = 0;
    for (int attempt = 0; attempt < 100 && echoed != 1; ++attempt) {
        echoed = Ask(port, 0x00, &echo, 1);
    }
    ASSERT_EQ(echoed, 1);
    EXPECT_EQ(echo, 0x00);

    char report[kReportBytes];
    ASSERT_EQ(Ask(port, 0x01, report, sizeof report), 1920);
    EXPECT_EQ(report[600], 1);
    EXPECT_EQ(report[601], 41);
    EXPECT_EQ(report[602], 52);
    EXPECT_EQ(std::memcmp(report + 608, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789WXYZ", 41), 0);
    EXPECT_STREQ(report + 672, "05.01C05");
    EXPECT_STREQ(report + 688, "WD-1");

    service.StopServer(port);
    EXPECT_FALSE(service.HoldsWorker());
    service.CleanUp();
    EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
}

// The worker receives without waiting first; datagrams the one-byte receive cannot take
// (two bytes, none) are dropped and it serves on, each time, through the real WSOCK32.DLL.
TEST(TemperatureServerWindowsTest, DropsLongAndEmptyDatagramsAndServesOn)
{
    const auto drives = MakeDriveState({{0, 40, 45, "SIM", "1.00", "S1"}});
    TemperatureServer service(drives->table);
    ASSERT_TRUE(service.StartUp());
    const std::uint32_t port = FreePort();
    ASSERT_NE(port, 0u);
    ASSERT_TRUE(service.StartServer(port));
    char echo = 1;
    int echoed = 0;
    for (int attempt = 0; attempt < 100 && echoed != 1; ++attempt) {
        echoed = Ask(port, 0x00, &echo, 1);
    }
    ASSERT_EQ(echoed, 1);

    const struct {
        const char* bytes;
        int length;
    } dropped[] = {{"\x01\x01", 2}, {"", 0}, {"\x00\x00\x00", 3}};
    for (const auto& datagram : dropped) {
        UDPCLIENT client;
        ASSERT_EQ(client.Open("127.0.0.1", port), 0);
        client.Send(datagram.bytes, datagram.length);
        client.SetWait(300);
        EXPECT_NE(client.Wait(), kUdpClientReadable) << datagram.length << " bytes were answered";
        char report[kReportBytes];
        EXPECT_EQ(Ask(port, 0x01, report, sizeof report), 1920) << "no report after " << datagram.length << " bytes";
    }
    service.StopServer(port);
    EXPECT_FALSE(service.HoldsWorker());
    service.CleanUp();
}

} // namespace
