// Glyph files: resource-only modules with the 44 icons (ids 500 to 543) from which the
// tray pictures are composed. Glyph index i in the image list is resource id 500 + i.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <vector>

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

// A glyph file loaded as data only: none of its code runs, whatever file was chosen.
// A relative path is taken beside the program. Null when it cannot be loaded.
HMODULE LoadGlyphModule(const char* path);

// The 44 glyphs as the icon data of the glyph file, for composing a few pictures without
// first making all 44 icons and putting them into an image list (under Wine that took a
// tenth of a second and more).
class GlyphIcons {
public:
    // All 44 or none: false, holding nothing, when the module cannot be loaded or lacks
    // one of the icons. The module is released before returning. The pictures are then
    // made at TrayPictureSide().
    bool Load(const char* path, GlyphSet set);
    // The side of the pictures Compose makes: the 16 x 16 glyphs enlarged by whole blocks
    // (EnlargeGlyphPicture). Glyphs not in the glyph files' usual form stay 16 x 16.
    void SetPictureSide(int side) { side_ = side; }
    int PictureSide() const { return side_; }
    // A new 16 x 16 icon of glyph `index` (the caller destroys it), or null.
    HICON Glyph(int index) const;
    // Whether glyph `index` makes an icon, as the image list of all 44 needs it to.
    bool Usable(int index) const;
    // The glyphs drawn over each other, first at the bottom; null when it cannot be made.
    // The image-list route merges them in an image list; the fastest route makes
    // the picture in memory when the glyphs allow it and takes the image-list route
    // otherwise, with the same result.
    enum class Route { Fastest, ImageList };
    HICON Compose(std::initializer_list<int> layers, Route route = Route::Fastest) const;
    // The icon resource bytes of glyph `index` (empty when not loaded).
    const std::vector<BYTE>& Bits(int index) const { return data_[index]; }

private:
    std::vector<BYTE> data_[kGlyphCount];
    int side_ = 16;
};

// The small-icon size of the display, which the notification area shows its icons at
// (16 at 100 % scaling, 24 at 150 %), within the sizes a picture can have.
int TrayPictureSide();

// One temperature picture, index 100 * bank + 10 * tens + ones, bank 1 in warning
// colours; null when it cannot be made.
HICON ComposeDigitIcon(const GlyphIcons& glyphs, int index, GlyphIcons::Route route = GlyphIcons::Route::Fastest);
