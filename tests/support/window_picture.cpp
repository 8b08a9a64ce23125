#include "window_picture.h"

#include "message_pump.h"
#include "png_file.h"

#include <cstdint>

namespace {

// A 32-bit top-down DIB section of the given size, selected into a memory DC.
struct Canvas {
    Canvas(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
        old = SelectObject(dc, bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<std::uint32_t> Rgb() const
    {
        GdiFlush();
        std::vector<std::uint32_t> rgb(pixels, pixels + width * height);
        for (std::uint32_t& pixel : rgb) pixel &= 0xFFFFFF;
        return rgb;
    }
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    std::uint32_t* pixels = nullptr;
};

}  // namespace

ScreenImage CaptureScreen(const RECT& area)
{
    Canvas canvas(area.right - area.left, area.bottom - area.top);
    HDC screen = GetDC(nullptr);
    BitBlt(canvas.dc, 0, 0, canvas.width, canvas.height, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return {canvas.width, canvas.height, canvas.Rgb()};
}

ScreenImage CaptureWholeScreen()
{
    return CaptureScreen({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool PictureShowsSomething(const ScreenImage& image)
{
    if (image.width <= 0 || image.height <= 0 || image.pixels.empty()) {
        return false;
    }
    for (std::uint32_t pixel : image.pixels) {
        if (pixel != image.pixels.front()) {
            return true;
        }
    }
    return false;
}

bool SaveWindowPicture(HWND window, const char* path)
{
    // A window that is not on the screen, or not painted yet, would give a picture of
    // whatever lies behind it, or nothing but one colour.
    if (!IsWindow(window) || !IsWindowVisible(window)) {
        return false;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Some controls (list views) draw their rows in paints of their own after the erase.
    Pump(150);
    RECT rect;
    GetWindowRect(window, &rect);
    // Only what the screen shows of it: a window reaching past the screen's edge is cut there.
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT shown;
    if (!IntersectRect(&shown, &rect, &screen)) {
        return false;
    }
    const ScreenImage image = CaptureScreen(shown);
    return WritePng(path, image.width, image.height, image.pixels) && PictureShowsSomething(image);
}

bool SaveIconSheet(const std::vector<HICON>& icons, int columns, int scale, const char* path)
{
    const int cell = 16 * scale + 4;
    const int rows = (static_cast<int>(icons.size()) + columns - 1) / columns;
    Canvas canvas(columns * cell, rows * cell);
    for (int i = 0; i < canvas.width * canvas.height; ++i) canvas.pixels[i] = 0x808080;
    for (std::size_t i = 0; i < icons.size(); ++i) {
        const int x = static_cast<int>(i) % columns * cell + 2, y = static_cast<int>(i) / columns * cell + 2;
        DrawIconEx(canvas.dc, x, y, icons[i], 16 * scale, 16 * scale, 0, nullptr, DI_NORMAL);
    }
    return WritePng(path, canvas.width, canvas.height, canvas.Rgb());
}

std::vector<std::uint32_t> RenderIcon(HICON icon, std::uint32_t background, int side)
{
    Canvas canvas(side, side);
    for (int i = 0; i < side * side; ++i) canvas.pixels[i] = background;
    DrawIconEx(canvas.dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
    return canvas.Rgb();
}

bool IconsLookAlike(HICON a, HICON b)
{
    constexpr std::uint32_t kOffPalette = 0x2468AC;
    return RenderIcon(a) == RenderIcon(b) && RenderIcon(a, kOffPalette) == RenderIcon(b, kOffPalette);
}
