#include "message_filter_win.h"
#include "window_helpers_win.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(RegisterWindowClass, TwiceIsFine)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_TRUE(RegisterWindowClass(instance, "KV_TWICE", CountingProcedure, 0, true, 0));
    EXPECT_TRUE(RegisterWindowClass(instance, "KV_TWICE", CountingProcedure, 0, true, 0));
    WNDCLASSA registered{};
    ASSERT_TRUE(GetClassInfoA(instance, "KV_TWICE", &registered));
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(registered.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(12)));
    EXPECT_TRUE(UnregisterClassA("KV_TWICE", instance));
    EXPECT_TRUE(RegisterWindowClass(instance, "KV_TWICE", CountingProcedure, 0, false, CS_DBLCLKS));
    ASSERT_TRUE(GetClassInfoA(instance, "KV_TWICE", &registered));
    EXPECT_EQ(registered.style, static_cast<UINT>(CS_DBLCLKS));
}

TEST(CreateHiddenWindow, ExistsButIsNotVisible)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClass(instance, "KV_HIDDEN", CountingProcedure, 0, false, CS_DBLCLKS));
    HWND window = CreateHiddenWindow(instance, "KV_HIDDEN", "hidden");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "hidden");
    EXPECT_EQ(FindWindowA("KV_HIDDEN", "hidden"), window);
    DestroyWindow(window);
    EXPECT_EQ(CreateHiddenWindow(instance, "KV_NOT_REGISTERED", "x"), nullptr);
}

TEST(PlaceWindow, CornersAndCentreOfTheScreen)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClass(instance, "KV_PLACED", CountingProcedure, 0, false, 0));
    HWND window = CreateWindowExA(0, "KV_PLACED", "placed", WS_POPUP, 5, 5, 200, 100, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(window, nullptr);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        int code;
        int x;
        int y;
    } cases[] = {
        {0, (cx - 200) / 2, (cy - 100) / 2}, {1, 0, 0}, {2, 0, cy - 100}, {3, cx - 200, 0}, {4, cx - 200, cy - 100},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(PlaceWindow(window, c.code));
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, c.x) << c.code;
        EXPECT_EQ(rect.top, c.y) << c.code;
        EXPECT_EQ(rect.right - rect.left, 200) << c.code;
        EXPECT_EQ(rect.bottom - rect.top, 100) << c.code;
    }
    ASSERT_TRUE(MoveWindowTo(window, 30, 40));
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right, 230);
    EXPECT_TRUE(SetTopMost(window, true));
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(SetTopMost(window, false));
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    DestroyWindow(window);
}

// Answers the first common dialog of this thread, from a timer inside its modal loop.
struct DialogAnswer {
    static inline const char* fileName = nullptr;  // typed into the file name field, then OK
    static inline bool answered = false;

    static BOOL CALLBACK FindDialog(HWND window, LPARAM found)
    {
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND dialog = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        KillTimer(nullptr, timer);
        answered = true;
        if (fileName) {
            // The explorer-style dialog has a combo box (1148), the old one an edit (1152).
            if (!SetDlgItemTextA(dialog, 1148, fileName)) SetDlgItemTextA(dialog, 1152, fileName);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        } else {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }

    static void Arm(const char* name)
    {
        fileName = name;
        answered = false;
        SetTimer(nullptr, 0, 200, Tick);
    }
};

TEST(PickColor, CancelReturnsTheGivenColour)
{
    DialogAnswer::Arm(nullptr);
    EXPECT_EQ(PickColor(nullptr, RGB(12, 34, 56)), RGB(12, 34, 56));
    EXPECT_TRUE(DialogAnswer::answered);
}

TEST(PickFont, CancelLeavesTheFont)
{
    LOGFONTA font{};
    font.lfHeight = -14;
    font.lfWeight = 400;
    std::strcpy(font.lfFaceName, "Arial");
    DialogAnswer::Arm(nullptr);
    EXPECT_FALSE(PickFont(nullptr, &font));
    EXPECT_TRUE(DialogAnswer::answered);
    EXPECT_EQ(font.lfHeight, -14);
    EXPECT_STREQ(font.lfFaceName, "Arial");
}

TEST(PickFile, CancelLeavesThePathChosenFileReplacesIt)
{
    // Choosing a file in another folder must not make that folder current: the programs
    // open their log, database and glyph files by bare name.
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    char path[260] = "KELVIX.LOG";
    const char filter[] = "LOG\0*.LOG\0ALL\0*.*\0";
    DialogAnswer::Arm(nullptr);
    EXPECT_FALSE(PickFile(nullptr, "pick", filter, path, sizeof path));
    EXPECT_TRUE(DialogAnswer::answered);
    EXPECT_STREQ(path, "KELVIX.LOG");

    DialogAnswer::Arm("C:\\windows\\win.ini");
    EXPECT_TRUE(PickFile(nullptr, "pick", filter, path, sizeof path));
    EXPECT_TRUE(DialogAnswer::answered);
    EXPECT_STREQ(path, "C:\\windows\\win.ini");
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(after, folder);
    SetCurrentDirectoryA(folder);  // keeps the later tests' pictures in the build folder either way
}

// Explorer's broadcast let through to an elevated window: the per-window call where user32
// has it, the process-wide one otherwise, nothing where neither exists.
TEST(AllowMessageFromLowerRights, UsesWhatTheSystemOffers)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClass(instance, "KV_FILTER", CountingProcedure, 0, false, 0));
    HWND window = CreateHiddenWindow(instance, "KV_FILTER", "filter");
    ASSERT_NE(window, nullptr);
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const MessageFilterChange withUser32 =
        GetProcAddress(user32, "ChangeWindowMessageFilterEx") ? MessageFilterChange::Window
                                                              : MessageFilterChange::Process;
    EXPECT_EQ(AllowMessageFromLowerRights(window, taskbarCreated), withUser32);
    EXPECT_EQ(AllowMessageFromLowerRights(window, taskbarCreated, GetModuleHandleA("kernel32.dll")),
        MessageFilterChange::None) << "an older system: no call, no failure";
    EXPECT_EQ(AllowMessageFromLowerRights(window, 0, user32), MessageFilterChange::None);
    DestroyWindow(window);
}

}  // namespace
