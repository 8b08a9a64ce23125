// What the notification area shows: the composed picture and a balloon, found on the
// screen and saved as tray_balloon.png.
#include "balloon_text.h"
#include "glyph_art.h"
#include "icon_table_win.h"
#include "message_pump.h"
#include "png_file.h"
#include "tray_icon_win.h"
#include "window_helpers_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// True when the picture appears anywhere on the screen, pixel for pixel.
bool Shows(const ScreenImage& screen, const glyph_art::Picture& picture)
{
    for (int top = 0; top + 16 <= screen.height; ++top) {
        for (int left = 0; left + 16 <= screen.width; ++left) {
            bool same = true;
            for (int i = 0; i < 256 && same; ++i) {
                same = screen.pixels[(top + i / 16) * screen.width + left + i % 16] ==
                       glyph_art::kPalette[picture.pixels[i]];
            }
            if (same) return true;
        }
    }
    return false;
}

// The shell draws asynchronously, and slower on a loaded machine: look again until the
// picture is there (or gone) or the time has passed.
bool ScreenShowsWithin(const glyph_art::Picture& picture, DWORD milliseconds, bool shown = true)
{
    const DWORD start = GetTickCount();
    for (;;) {
        Pump(200);
        if (Shows(CaptureWholeScreen(), picture) == shown)
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
    }
}

struct BalloonSearch {
    const char* text;
    bool found;
};

BOOL CALLBACK FindBalloon(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BalloonSearch*>(param);
    char cls[64] = {};
    char text[512] = {};
    GetClassNameA(window, cls, sizeof cls);
    // The shell's balloon answers WM_GETTEXT itself; GetWindowText would not ask it.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    if (lstrcmpiA(cls, "tooltips_class32") == 0 && IsWindowVisible(window) && std::strstr(text, search->text))
        search->found = true;
    return !search->found;
}

// A balloon window whose text holds TEXT is on the screen within the time.
bool BalloonShowsWithin(const char* text, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        Pump(200);
        BalloonSearch search = {text, false};
        EnumWindows(FindBalloon, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
    }
}

glyph_art::Picture Slot(int tensId, int onesId)
{
    using namespace glyph_art;
    return Overlay(Overlay(GlyphPicture(kBackground), GlyphPicture(tensId)), GlyphPicture(onesId));
}

TEST(TrayScreen, ShowsTheTemperatureAndTheWarningBalloon)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClass(instance, "KV_SCREEN_TEST", DefWindowProcA, 0, false, 0));
    HWND window = CreateHiddenWindow(instance, "KV_SCREEN_TEST", "screen test");
    ASSERT_NE(window, nullptr);
    IconTable table;
    ASSERT_TRUE(ComposeIconTable(table, "7SEG_G.KVX"));
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance, window, 0, kIconTableSize));
    PutIconTableIntoTray(table, tray);
    tray.Add(37);
    EXPECT_TRUE(ScreenShowsWithin(Slot(glyph_art::kTensNormal + 3, glyph_art::kOnesNormal + 7), 10000))
        << "37 in normal colours not in the notification area";

    DriveReadings readings;
    DriveReading hot;
    hot.temperature = 52;
    hot.model = "SIMDISK HOT-52 ABC";
    readings.Add(hot);
    const BalloonContent balloon = WarningBalloonContent(readings, 1, WarningLimits{});
    tray.SetBalloonTitle(balloon.title.c_str(), balloon.iconFlags);
    tray.SetBalloonText(balloon.text.c_str(), kBalloonTimeoutMs);
    tray.ShowBalloon(152);
    EXPECT_TRUE(ScreenShowsWithin(Slot(glyph_art::kTensWarning + 5, glyph_art::kOnesWarning + 2), 10000))
        << "52 in warning colours not in the notification area";
    EXPECT_TRUE(BalloonShowsWithin("SIMDISK HOT-52 ABC", 10000)) << "no balloon names the hot drive";
    const ScreenImage screen = CaptureWholeScreen();
    EXPECT_TRUE(WritePng("tray_balloon.png", screen.width, screen.height, screen.pixels));

    // The shell lost the icon (Explorer restarted): it comes back with the current picture.
    const glyph_art::Picture warning52 = Slot(glyph_art::kTensWarning + 5, glyph_art::kOnesWarning + 2);
    tray.Remove();
    ASSERT_TRUE(ScreenShowsWithin(warning52, 10000, false)) << "the icon should be gone";
    EXPECT_TRUE(tray.Restore());
    EXPECT_TRUE(ScreenShowsWithin(warning52, 10000)) << "52 in warning colours did not come back";
    const ScreenImage restored = CaptureWholeScreen();
    EXPECT_TRUE(WritePng("tray_restored.png", restored.width, restored.height, restored.pixels));
    tray.Destroy();
    DestroyWindow(window);
}

}  // namespace
