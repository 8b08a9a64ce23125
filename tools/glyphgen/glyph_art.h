// The pictures of the default glyph file and of the program icon, drawn as palette
// pictures in the 16 standard colours (the glyph image list has the default depth of
// 4 bits per pixel, so these colours pass through it unchanged).
#pragma once

#include <cstdint>

namespace glyph_art {

// Palette indices of the standard 16-colour palette.
enum : std::uint8_t {
    PAL_BLACK = 0, PAL_DARK_RED = 1, PAL_DARK_GREEN = 2, PAL_DARK_YELLOW = 3, PAL_DARK_BLUE = 4, PAL_DARK_MAGENTA = 5,
    PAL_DARK_CYAN = 6, PAL_LIGHT_GREY = 7, PAL_GREY = 8, PAL_RED = 9, PAL_GREEN = 10, PAL_YELLOW = 11, PAL_BLUE = 12,
    PAL_MAGENTA = 13, PAL_CYAN = 14, PAL_WHITE = 15,
    PAL_TRANSPARENT = 0xFF,
};

constexpr int kMaxSize = 32;
constexpr int kGlyphSize = 16;

// RGB of each palette index (red in the high byte: 0xRRGGBB).
extern const std::uint32_t kPalette[16];

struct Picture {
    int size = kGlyphSize;
    std::uint8_t pixels[kMaxSize * kMaxSize];  // row-major, top row first

    explicit Picture(int side = kGlyphSize, std::uint8_t fill = PAL_TRANSPARENT);
    std::uint8_t At(int x, int y) const { return pixels[y * size + x]; }
    void Set(int x, int y, std::uint8_t colour) { pixels[y * size + x] = colour; }
    void Fill(int left, int top, int right, int bottom, std::uint8_t colour);  // inclusive
};

// Glyph ids of a glyph file.
constexpr int kFirstGlyphId = 500;
constexpr int kLastGlyphId = 543;
constexpr int kOnesNormal = 500, kTensNormal = 510, kOnesWarning = 520, kTensWarning = 530;
constexpr int kBackground = 540, kNoTemperature = 541, kStopped = 542, kFixedIcon = 543;

// Seven segments a to g of a digit, bit 0 = a.
std::uint8_t DigitSegments(int digit);

// The glyph with that resource id (500 to 543).
Picture GlyphPicture(int resourceId);

// The program icon at 16 or 32 pixels.
Picture ProgramIconPicture(int size);

// over laid on under: over's opaque pixels win.
Picture Overlay(const Picture& under, const Picture& over);

}  // namespace glyph_art
