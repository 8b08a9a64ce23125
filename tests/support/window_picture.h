// Pictures for a person to look at, and for tests that look at the screen: a window or a
// part of the screen as it stands, and icons drawn on their own or in a row.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top row first
};

// What the screen shows in `area` (screen coordinates).
ScreenImage CaptureScreen(const RECT& area);
ScreenImage CaptureWholeScreen();

// False for a picture of nothing: empty, or every pixel one colour.
bool PictureShowsSomething(const ScreenImage& image);
// The window as it stands on the screen (repainted first), saved as a PNG file; false when
// it could not be written, the window is not shown, or the picture is blank.
bool SaveWindowPicture(HWND window, const char* path);
// The icons side by side, each drawn at `scale` times 16 pixels, `columns` per row.
bool SaveIconSheet(const std::vector<HICON>& icons, int columns, int scale, const char* path);
// The icon drawn over magenta (0xFF00FF) or another background, side x side pixels as
// 0xRRGGBB, top row first.
std::vector<std::uint32_t> RenderIcon(HICON icon, std::uint32_t background = 0xFF00FF, int side = 16);
// Both icons draw the same pixels over magenta and over a colour no 16-colour picture
// has, so their masks agree too.
bool IconsLookAlike(HICON a, HICON b);
