// The harness every Windows test relies on: Japanese code page, a desktop with a
// notification area, and screenshots.
#include "harness_client.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

TEST(WineHarness, AnsiCodePageIsJapanese)
{
    EXPECT_EQ(GetACP(), 932u);
    // The compiler stored this literal as Shift-JIS.
    const unsigned char expected[] = {0x83, 0x47, 0x83, 0x89, 0x81, 0x5B, 0x8F, 0xEE, 0x95, 0xF1, 0};
    EXPECT_STREQ("エラー情報", reinterpret_cast<const char*>(expected));
}

TEST(WineHarness, NotificationAreaAcceptsAnIconAndScreenshotIsSaved)
{
    HWND window = CreateWindowExA(0, "STATIC", "harness", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_ICON;
    data.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
    EXPECT_TRUE(harness::SaveScreenshot("harness_tray"));
    const std::string png = harness::ScreenshotDir() + "/harness_tray.png";
    FILE* file = std::fopen(png.c_str(), "rb");
    ASSERT_NE(file, nullptr) << png;
    unsigned char magic[4] = {};
    EXPECT_EQ(std::fread(magic, 1, 4, file), 4u);
    std::fclose(file);
    EXPECT_EQ(magic[1], 'P');
    EXPECT_EQ(magic[2], 'N');
    Shell_NotifyIconA(NIM_DELETE, &data);
    DestroyWindow(window);
}
