#include "glyph_art.h"

#include <cstring>

namespace glyph_art {

const std::uint32_t kPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

Picture::Picture(int side, std::uint8_t fill) : size(side)
{
    std::memset(pixels, fill, sizeof pixels);
}

void Picture::Fill(int left, int top, int right, int bottom, std::uint8_t colour)
{
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            Set(x, y, colour);
        }
    }
}

namespace {

// A digit cell is 6 pixels wide and 14 high (rows 1 to 14) with strokes 2 pixels thick.
// The tens cell takes columns 1 to 6, the ones cell 9 to 14, so the two read as one
// number when laid over each other, with a frame of one pixel that keeps the strokes
// apart from whatever the notification area has around the icon.
constexpr int kTensLeft = 1;
constexpr int kOnesLeft = 9;
constexpr int kCellWidth = 6;
constexpr int kTop = 1;

enum Segment { SEG_A = 1, SEG_B = 2, SEG_C = 4, SEG_D = 8, SEG_E = 16, SEG_F = 32, SEG_G = 64 };

void DrawDigit(Picture& picture, int left, int digit, std::uint8_t colour)
{
    const std::uint8_t on = DigitSegments(digit);
    const int right = left + kCellWidth - 1;
    const int upper = kTop, middle = kTop + 6, lower = kTop + 12;
    if (on & SEG_A) picture.Fill(left, upper, right, upper + 1, colour);
    if (on & SEG_G) picture.Fill(left, middle, right, middle + 1, colour);
    if (on & SEG_D) picture.Fill(left, lower, right, lower + 1, colour);
    if (on & SEG_F) picture.Fill(left, upper, left + 1, middle + 1, colour);
    if (on & SEG_B) picture.Fill(right - 1, upper, right, middle + 1, colour);
    if (on & SEG_E) picture.Fill(left, middle, left + 1, lower + 1, colour);
    if (on & SEG_C) picture.Fill(right - 1, middle, right, lower + 1, colour);
}

// Normal digits: green strokes, the rest transparent so the black background shows.
Picture NormalDigit(int left, int digit)
{
    Picture picture;
    DrawDigit(picture, left, digit, PAL_GREEN);
    return picture;
}

// Warning digits: white strokes on a red half, so a hot drive turns the whole icon red.
Picture WarningDigit(int halfLeft, int cellLeft, int digit)
{
    Picture picture;
    picture.Fill(halfLeft, 0, halfLeft + kGlyphSize / 2 - 1, kGlyphSize - 1, PAL_RED);
    DrawDigit(picture, cellLeft, digit, PAL_WHITE);
    return picture;
}

// Thermometer on a square of the given colour, drawn on a 16-pixel grid.
Picture Thermometer(std::uint8_t ground)
{
    Picture picture(kGlyphSize, ground);
    picture.Fill(6, 1, 9, 11, PAL_WHITE);     // tube outline
    picture.Fill(7, 2, 8, 10, PAL_LIGHT_GREY);
    picture.Fill(7, 6, 8, 11, PAL_RED);       // mercury
    picture.Fill(5, 10, 10, 14, PAL_WHITE);   // bulb outline
    picture.Fill(4, 11, 11, 13, PAL_WHITE);
    picture.Fill(6, 11, 9, 13, PAL_RED);
    picture.Fill(5, 12, 10, 12, PAL_RED);
    for (int y = 3; y <= 9; y += 2) {
        picture.Set(10, y, PAL_WHITE);        // scale marks
        picture.Set(11, y, PAL_WHITE);
    }
    return picture;
}

}  // namespace

std::uint8_t DigitSegments(int digit)
{
    static const std::uint8_t kSegments[10] = {
        SEG_A | SEG_B | SEG_C | SEG_D | SEG_E | SEG_F,          // 0
        SEG_B | SEG_C,                                          // 1
        SEG_A | SEG_B | SEG_G | SEG_E | SEG_D,                  // 2
        SEG_A | SEG_B | SEG_G | SEG_C | SEG_D,                  // 3
        SEG_F | SEG_G | SEG_B | SEG_C,                          // 4
        SEG_A | SEG_F | SEG_G | SEG_C | SEG_D,                  // 5
        SEG_A | SEG_F | SEG_G | SEG_E | SEG_D | SEG_C,          // 6
        SEG_A | SEG_B | SEG_C,                                  // 7
        SEG_A | SEG_B | SEG_C | SEG_D | SEG_E | SEG_F | SEG_G,  // 8
        SEG_A | SEG_B | SEG_C | SEG_D | SEG_F | SEG_G,          // 9
    };
    return (digit >= 0 && digit <= 9) ? kSegments[digit] : 0;
}

Picture GlyphPicture(int resourceId)
{
    const int index = resourceId - kFirstGlyphId;
    if (resourceId >= kOnesNormal && resourceId < kOnesNormal + 10) {
        return NormalDigit(kOnesLeft, index % 10);
    }
    if (resourceId >= kTensNormal && resourceId < kTensNormal + 10) {
        return NormalDigit(kTensLeft, index % 10);
    }
    if (resourceId >= kOnesWarning && resourceId < kOnesWarning + 10) {
        return WarningDigit(kGlyphSize / 2, kOnesLeft, index % 10);
    }
    if (resourceId >= kTensWarning && resourceId < kTensWarning + 10) {
        return WarningDigit(0, kTensLeft, index % 10);
    }
    Picture picture;
    switch (resourceId) {
    case kBackground:
        picture.Fill(0, 0, kGlyphSize - 1, kGlyphSize - 1, PAL_BLACK);
        break;
    case kNoTemperature:  // "--"
        picture.Fill(kTensLeft, 7, kTensLeft + kCellWidth - 1, 8, PAL_LIGHT_GREY);
        picture.Fill(kOnesLeft, 7, kOnesLeft + kCellWidth - 1, 8, PAL_LIGHT_GREY);
        break;
    case kStopped:  // pause bars
        picture.Fill(4, 3, 6, 12, PAL_YELLOW);
        picture.Fill(9, 3, 11, 12, PAL_YELLOW);
        break;
    case kFixedIcon:
        picture = Thermometer(PAL_BLACK);
        break;
    default:
        break;
    }
    return picture;
}

Picture ProgramIconPicture(int size)
{
    const Picture small = Thermometer(PAL_DARK_BLUE);
    if (size <= kGlyphSize) {
        return small;
    }
    Picture picture(size, PAL_DARK_BLUE);
    const int scale = size / kGlyphSize;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            picture.Set(x, y, small.At(x / scale, y / scale));
        }
    }
    return picture;
}

Picture Overlay(const Picture& under, const Picture& over)
{
    Picture result = under;
    for (int i = 0; i < under.size * under.size; ++i) {
        if (over.pixels[i] != PAL_TRANSPARENT) {
            result.pixels[i] = over.pixels[i];
        }
    }
    return result;
}

}  // namespace glyph_art
