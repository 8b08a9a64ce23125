// The temperature service in the Windows build (under Wine): start up, a report and an
// echo through the real WSOCK32.DLL, stop server and clean up.
#include "drive_fixture.h"
#include "query_protocol.h"
#include "temperature_server.h"
#include "udpclient.h"
#include "udpserver.h"
#include "window_picture.h"
#include "ws32lib.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
int Ask(std::uint32_t port, char command, char* answer, int length, unsigned waitMs = 200)
{
    UDPCLIENT client;
    if (client.Open("127.0.0.1", port) != 0 || client.Send(&command, 1) != 0) {
        return -1;
    }
    client.SetWait(waitMs);
    if (client.Wait() != kUdpClientReadable) {
        return 0;
    }
    return client.Receive(answer, length);
}

BOOL CALLBACK CollectNotice(HWND window, LPARAM list)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(caption) == "確認情報") {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// The open notice boxes of this process (caption "確認情報").
std::vector<HWND> OpenNotices()
{
    std::vector<HWND> found;
    EnumWindows(CollectNotice, reinterpret_cast<LPARAM>(&found));
    return found;
}

void SendJunk(std::uint32_t port, const char* bytes, int length)
{
    UDPCLIENT client;
    ASSERT_EQ(client.Open("127.0.0.1", port), 0);
    client.Send(bytes, length);  // an oversized datagram may be refused; either way junk
    client.Close();
}

// Nobody clicks OK: junk opens one notice, and a report query right after it is answered.
TEST(TemperatureServerWindowsTest, JunkOpensOneNoticeAndServingGoesOn)
{
    const auto drives = MakeDriveState({{0, 38, 45, "ST380011A", "3.06", "5JV1"}});
    TemperatureServer service(drives->table);
    ASSERT_TRUE(service.StartUp());
    const std::uint32_t port = FreePort();
    ASSERT_TRUE(service.StartServer(port));
    char echo = 1;
    for (int attempt = 0; attempt < 100 && Ask(port, 0x00, &echo, 1) != 1; ++attempt) {
    }

    static const char kLong[3000] = {2};
    for (const std::string& junk : {std::string("\x02"), std::string(), std::string("\x11"), std::string("\xFF")}) {
        SendJunk(port, junk.data(), static_cast<int>(junk.size()));
    }
    SendJunk(port, kLong, sizeof kLong);
    char report[kReportBytes] = {};
    EXPECT_EQ(Ask(port, 0x01, report, sizeof report, 2000), 1920) << "a report query right after junk";
    EXPECT_EQ(report[0], 1);
    EXPECT_EQ(service.UnknownCommands(), 3u);

    std::vector<HWND> notices;
    for (int i = 0; i < 100 && notices.empty(); ++i) {
        Sleep(50);
        notices = OpenNotices();
    }
    ASSERT_EQ(notices.size(), 1u) << "one notice for three unknown commands";
    // One more unknown command, counted, then an echo answered: the worker has handled
    // everything sent so far, and still only the one notice is open.
    SendJunk(port, "\x03", 1);
    EXPECT_EQ(Ask(port, 0x00, &echo, 1, 2000), 1) << "an echo after the notice opened";
    EXPECT_EQ(service.UnknownCommands(), 4u);
    if (const char* dir = std::getenv("KV_SCREENSHOT_DIR")) {
        EXPECT_TRUE(SaveWindowPicture(notices[0], (std::string(dir) + "/service_unknown_command_notice.png").c_str()));
    }
    EXPECT_EQ(OpenNotices().size(), 1u);

    // The stop and the clean-up do not wait for the open notice.
    service.StopServer(port);
    EXPECT_FALSE(service.HoldsWorker());
    service.CleanUp();
    EXPECT_TRUE(service.NoticeOpen());
    PostMessageA(notices[0], WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && service.NoticeOpen(); ++i) {
        Sleep(50);
    }
    EXPECT_FALSE(service.NoticeOpen());
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
