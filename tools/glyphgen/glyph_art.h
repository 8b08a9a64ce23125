// The pictures of the default glyph file and of the program icon, drawn as palette
// pictures in the 16 standard colours (the glyph image list has the default depth of
// 4 bits per pixel, so these colours pass through it unchanged).
#pragma once

#include <cstdint>

namespace glyph_art {

// Palette indices of the standard 16-colour palette.
enum : std::uint8_t {
    BLACK = 0, DARK_RED = 1, DARK_GREEN = 2, DARK_YELLOW = 3, DARK_BLUE = 4, DARK_MAGENTA = 5,
    DARK_CYAN = 6, LIGHT_GREY = 7, GREY = 8, RED = 9, GREEN = 10, YELLOW = 11, BLUE = 12,
    MAGENTA = 13, CYAN = 14, WHITE = 15,
    TRANSPARENT = 0xFF,
};

constexpr int kMaxSize = 32;
constexpr int kGlyphSize = 16;

// RGB of each palette index (red in the high byte: 0xRRGGBB).
extern const std::uint32_t kPalette[16];

struct Picture {
    int size = kGlyphSize;
    std::uint8_t pixels[kMaxSize * kMaxSize];  // row-major, top row first

    explicit Picture(int side = kGlyphSize, std::uint8_t fill = TRANSPARENT);
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
