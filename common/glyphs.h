// Glyph files: resource-only modules with the 44 icons (ids 500 to 543) from which the
// tray pictures are composed. Glyph index i in the image list is resource id 500 + i.
#pragma once

#include <windows.h>
#include <commctrl.h>

constexpr int kGlyphCount = 44;
constexpr int kFirstGlyphId = 500;
constexpr int kGlyphBackground = 40;
constexpr int kGlyphNoTemperature = 41;
constexpr int kGlyphStopped = 42;
constexpr int kGlyphFixedIcon = 43;
constexpr int kDigitIconCount = 200;

enum class GlyphSet {
    Monitor,     // ids 500 to 543: every glyph is required
    TrayClient,  // the client has no fixed icon: its last entry is 502 again
};

// The 44 glyphs as a 16 x 16 masked image list, or null when the module cannot be
// loaded or lacks one of the icons. The module is released before returning.
HIMAGELIST LoadGlyphs(const char* path, GlyphSet set = GlyphSet::Monitor);

// The icon of image `over` drawn over image `under` of the list (masks combined), or null.
HICON MergedGlyphIcon(HIMAGELIST glyphs, int under, int over);

// One temperature picture, index 100 * bank + 10 * tens + ones, made the way
// ComposeDigitIcons makes it; null when it cannot be made.
HICON ComposeDigitIcon(HIMAGELIST glyphs, int index);

// The 200 temperature pictures: index 100 * bank + 10 * tens + ones, bank 1 in warning
// colours. On failure every icon made so far is destroyed and icons is all null.
bool ComposeDigitIcons(HIMAGELIST glyphs, HICON (&icons)[kDigitIconCount]);
