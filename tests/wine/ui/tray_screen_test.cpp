// What the notification area shows: the composed picture and a balloon, found on the
// screen and saved as tray_balloon.png.
#include "balloon_text.h"
#include "glyph_art.h"
#include "icon_table.h"
#include "png_file.h"
#include "tray_icon.h"
#include "window_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Screen {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top row first

    static Screen Capture()
    {
        Screen screen;
        screen.width = GetSystemMetrics(SM_CXSCREEN);
        screen.height = GetSystemMetrics(SM_CYSCREEN);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = screen.width;
        info.bmiHeader.biHeight = -screen.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC screenDc = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screenDc);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, screen.width, screen.height, screenDc, 0, 0, SRCCOPY);
        GdiFlush();
        const std::uint32_t* source = static_cast<const std::uint32_t*>(bits);
        screen.pixels.assign(source, source + screen.width * screen.height);
        for (std::uint32_t& pixel : screen.pixels) pixel &= 0xFFFFFF;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screenDc);
        return screen;
    }

    // True when the picture appears anywhere on the screen, pixel for pixel.
    bool Shows(const glyph_art::Picture& picture) const
    {
        for (int top = 0; top + 16 <= height; ++top) {
            for (int left = 0; left + 16 <= width; ++left) {
                bool same = true;
                for (int i = 0; i < 256 && same; ++i) {
                    same = pixels[(top + i / 16) * width + left + i % 16] ==
                           glyph_art::kPalette[picture.pixels[i]];
                }
                if (same) return true;
            }
        }
        return false;
    }
};

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        Sleep(20);
    }
}

// The shell draws asynchronously, and slower on a loaded machine: look again until the
// picture shows up or ten seconds have passed.
bool ScreenShowsWithin(const glyph_art::Picture& picture, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (;;) {
        Pump(200);
        if (Screen::Capture().Shows(picture))
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
    const BalloonContent balloon = WarningBalloonContent(readings, 1, 40);
    tray.SetBalloonTitle(balloon.title.c_str(), balloon.iconFlags);
    tray.SetBalloonText(balloon.text.c_str(), kBalloonTimeoutMs);
    tray.ShowBalloon(152);
    EXPECT_TRUE(ScreenShowsWithin(Slot(glyph_art::kTensWarning + 5, glyph_art::kOnesWarning + 2), 10000))
        << "52 in warning colours not in the notification area";
    Pump(3000);  // the shell holds a balloon back for a moment
    const Screen screen = Screen::Capture();
    EXPECT_TRUE(WritePng("tray_balloon.png", screen.width, screen.height, screen.pixels));
    tray.Destroy();
    DestroyWindow(window);
}

}  // namespace
