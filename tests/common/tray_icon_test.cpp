#include "tray_icon_win.h"
#include "window_helpers_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kSlots = 203;

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        instance_ = GetModuleHandleA(nullptr);
        ASSERT_TRUE(RegisterWindowClass(instance_, "KV_TRAY_TEST", DefWindowProcA, 0, false, 0));
        window_ = CreateHiddenWindow(instance_, "KV_TRAY_TEST", "tray test");
        ASSERT_NE(window_, nullptr);
        icon_ = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    }
    void TearDown() override { DestroyWindow(window_); }

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
};

TEST_F(TrayIconTest, CreateFillsTheVersion2Record)
{
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance_, window_, 7, kSlots));
    const NOTIFYICONDATAA& record = tray.Record();
    EXPECT_EQ(record.cbSize, NOTIFYICONDATAA_V2_SIZE);
#if !defined(_WIN64)
    EXPECT_EQ(record.cbSize, 488u);
#endif
    EXPECT_LT(record.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(record.hWnd, window_);
    EXPECT_EQ(record.uID, 7u);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(record.szTip[0], '\0');
    EXPECT_EQ(tray.SlotCount(), kSlots);
    EXPECT_FALSE(tray.Create(instance_, window_, 8, kSlots));  // slots exist already
    EXPECT_EQ(tray.Record().uID, 7u);
}

TEST_F(TrayIconTest, CallbackAndBalloonFlags)
{
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance_, window_, 1, kSlots));
    tray.SetCallback(32770);
    EXPECT_EQ(tray.Record().uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE));
    EXPECT_EQ(tray.Record().uCallbackMessage, 32770u);
    tray.SetSlot(icon_, 5);
    tray.SetBalloonTitle("title", NIIF_WARNING);
    tray.SetBalloonText("text", 10000);
    tray.ShowBalloon(5);
    EXPECT_EQ(tray.Record().uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE));  // NIF_INFO only for the call
    EXPECT_EQ(tray.CurrentSlot(), 5u);
    EXPECT_EQ(tray.Record().hIcon, icon_);
    EXPECT_EQ(tray.Record().dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
    EXPECT_EQ(tray.Record().uTimeout, 10000u);
    EXPECT_STREQ(tray.Record().szInfo, "text");
    EXPECT_STREQ(tray.Record().szInfoTitle, "title");
}

TEST_F(TrayIconTest, TextsAreCutToTheirFields)
{
    const std::string kana62 = std::string(62, 'A') + "\x82\xA0";   // "あ" would end at byte 64
    const std::string kana254 = std::string(254, 'A') + "\x82\xA0";
    const struct {
        std::string text;
        std::size_t titleLength;
        std::size_t textLength;
    } cases[] = {
        {std::string(70, 'T'), 63, 70},
        {std::string(63, 'T'), 63, 63},
        {std::string(62, 'T'), 62, 62},
        {std::string(300, 'X'), 63, 255},
        {std::string(255, 'X'), 63, 255},
        {std::string(256, 'X'), 63, 255},
        {kana62, 62, 64},
        {kana254, 63, 254},
        {"", 0, 0},
    };
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance_, window_, 1, kSlots));
    for (const auto& c : cases) {
        tray.SetBalloonTitle(c.text.c_str(), NIIF_INFO);
        tray.SetBalloonText(c.text.c_str(), 10000);
        EXPECT_EQ(std::string(tray.Record().szInfoTitle), c.text.substr(0, c.titleLength)) << c.text.size();
        EXPECT_EQ(std::string(tray.Record().szInfo), c.text.substr(0, c.textLength)) << c.text.size();
    }
}

TEST_F(TrayIconTest, SlotIndexesBeyondTheTableAreIgnored)
{
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance_, window_, 1, kSlots));
    tray.SetSlot(icon_, 202);
    tray.Add(202);
    EXPECT_EQ(tray.CurrentSlot(), 202u);
    tray.SetSlot(icon_, 203);
    EXPECT_EQ(tray.SlotIcon(203), nullptr);
    tray.Modify(203);
    tray.ShowBalloon(250);
    EXPECT_EQ(tray.CurrentSlot(), 202u);
    tray.Modify(0);
    EXPECT_EQ(tray.CurrentSlot(), 0u);
    EXPECT_EQ(tray.Record().hIcon, nullptr);  // slot 0 is empty
    tray.Remove();
}

TEST_F(TrayIconTest, OwnedIconsAreDestroyedUnownedKept)
{
    HICON owned = CopyIcon(icon_);
    HICON unowned = CopyIcon(icon_);
    ICONINFO info;
    {
        TrayIcon tray;
        ASSERT_TRUE(tray.Create(instance_, window_, 1, 3));
        tray.SetSlot(owned, 0, true);
        tray.SetSlot(unowned, 1);
        tray.SetSlot(unowned, 0);  // replaces (and destroys) the owned one
        ASSERT_FALSE(GetIconInfo(owned, &info));
        tray.SetSlot(CopyIcon(icon_), 2, true);
        tray.Destroy();
        EXPECT_EQ(tray.SlotCount(), 0u);
        EXPECT_EQ(tray.Record().cbSize, 0u);
        tray.Add(1);  // no slots: nothing happens
        EXPECT_EQ(tray.CurrentSlot(), 0u);
    }
    ASSERT_TRUE(GetIconInfo(unowned, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(unowned);
}

TEST_F(TrayIconTest, NothingHappensBeforeCreate)
{
    TrayIcon tray;
    tray.SetCallback(32770);
    tray.SetBalloonTitle("x", NIIF_INFO);
    tray.SetSlot(icon_, 0);
    tray.Add(0);
    EXPECT_EQ(tray.Record().uFlags, 0u);
    EXPECT_EQ(tray.Record().szInfoTitle[0], '\0');
    EXPECT_EQ(tray.SlotCount(), 0u);
}

TEST_F(TrayIconTest, TooltipForTheTrayClient)
{
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance_, window_, 1, 200));
    tray.SetTooltip(std::string(200, 'P').c_str());
    EXPECT_EQ(tray.Record().uFlags & NIF_TIP, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(std::string(tray.Record().szTip), std::string(127, 'P'));
}

// What the shell is handed: the last record, as it came.
NOTIFYICONDATAW g_handed{};
DWORD g_handedAction = 0;
BOOL WINAPI KeepHanded(DWORD action, PNOTIFYICONDATAW record)
{
    g_handedAction = action;
    g_handed = *record;
    return TRUE;
}

struct KeepHandedInPlace {
    KeepHandedInPlace() { SetShellNotifyCall(KeepHanded); }
    ~KeepHandedInPlace() { SetShellNotifyCall(nullptr); }
};

TEST_F(TrayIconTest, ShellGetsTheTextsInUtf16)
{
    // The expected texts are wide literals, compiled from this UTF-8 source without the
    // program's code page; the tray takes the program's code page 932 bytes.
    struct Case {
        const char* title;
        const char* text;
        const char* tip;
        const wchar_t* wideTitle;
        const wchar_t* wideText;
        const wchar_t* wideTip;
    } cases[] = {
        {"40℃を超えています", "#1  52℃ : SIM HOT", "#1 ○ 52℃", L"40℃を超えています", L"#1  52℃ : SIM HOT", L"#1 ○ 52℃"},
        {"60秒間隔で計測", "#0  45℃ : ×", "", L"60秒間隔で計測", L"#0  45℃ : ×", L""},
        {"ASCII", "WDC WD10EZEX", "host", L"ASCII", L"WDC WD10EZEX", L"host"},
    };
    KeepHandedInPlace keep;
    for (const Case& c : cases) {
        TrayIcon tray;
        ASSERT_TRUE(tray.Create(instance_, window_, 5, 1));
        tray.SetSlot(icon_, 0);
        tray.SetCallback(32770);
        tray.SetTooltip(c.tip);
        tray.SetBalloonTitle(c.title, NIIF_WARNING);
        tray.SetBalloonText(c.text, 10000);
        tray.ShowBalloon(0);
        EXPECT_EQ(g_handedAction, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(g_handed.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
        EXPECT_EQ(g_handed.uID, 5u);
        EXPECT_EQ(g_handed.hWnd, window_);
        EXPECT_EQ(g_handed.hIcon, icon_);
        EXPECT_EQ(g_handed.uCallbackMessage, 32770u);
        EXPECT_EQ(g_handed.uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE | NIF_TIP | NIF_INFO));
        EXPECT_EQ(g_handed.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
        EXPECT_EQ(g_handed.uTimeout, 10000u);
        EXPECT_EQ(std::wstring(g_handed.szInfoTitle), c.wideTitle);
        EXPECT_EQ(std::wstring(g_handed.szInfo), c.wideText);
        EXPECT_EQ(std::wstring(g_handed.szTip), c.wideTip);
        // The record keeps the program's bytes.
        EXPECT_STREQ(tray.Record().szInfoTitle, c.title);
    }
}

}  // namespace
