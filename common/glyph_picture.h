// Glyph pictures composed in memory: the icon resource bytes of 16 x 16 glyphs in the
// form the glyph files hold (4 bits per pixel, the standard 16-colour palette, an AND
// mask) laid over each other and written back in that form, so that one picture needs one
// icon made from bytes instead of a round through image lists. Anything not in exactly
// that form is refused, and the caller takes the image-list route.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kGlyphSide = 16;
// Header, palette, colour rows (8 bytes each) and mask rows (4 bytes each).
constexpr std::size_t kGlyphPictureBytes = 40 + 16 * 4 + kGlyphSide * 8 + kGlyphSide * 4;

using GlyphPictureBytes = std::array<std::uint8_t, kGlyphPictureBytes>;

// One glyph, pixels in the order the bytes store them (bottom row first).
struct GlyphPixels {
    std::array<std::uint8_t, kGlyphSide * kGlyphSide> colour{};  // palette index 0-15
    std::array<bool, kGlyphSide * kGlyphSide> transparent{};      // AND-mask bit set
};

// Icon resource bytes of one glyph (no more than `size` are read).
struct GlyphBits {
    const std::uint8_t* bytes;
    std::size_t size;
};

// False unless the bytes are a 16 x 16, 4-bit, uncompressed picture with exactly the
// standard palette and hold all its rows.
bool DecodeGlyphPicture(GlyphBits bits, GlyphPixels& picture);

GlyphPictureBytes EncodeGlyphPicture(const GlyphPixels& picture);

// The layers drawn over each other, first at the bottom: an opaque pixel of an upper layer
// replaces what lies below, and a pixel stays transparent only where every layer is.
// False, `out` untouched, when there are no layers, a layer does not decode, or a
// layer's colour under its mask is not black (the image lists would show that colour
// differently).
bool ComposeGlyphPictures(const GlyphBits* layers, std::size_t count, GlyphPictureBytes& out);

// The icon id of an icon group directory's only entry when that entry is a 16 x 16 icon;
// 0 when the directory is short, not an icon directory, or has another number of entries.
int SoleGlyphIconId(const std::uint8_t* directory, std::size_t size);

// Tray pictures at the small-icon size of the display (20, 24, 32 ... pixels): each glyph
// pixel becomes a square block of GlyphEnlargement(side) pixels, centred with transparent
// padding. Whole blocks keep every stroke of the digits the same width; a fractional
// enlargement (1.25 at 20 pixels, 1.5 at 24) would double some pixel rows and not others.
int GlyphEnlargement(int side);

// The picture `side` pixels square in the same form (4 bits per pixel, the standard
// palette, an AND mask; rows padded to 4 bytes); empty when side is below 16 or above
// kLargestPictureSide.
constexpr int kLargestPictureSide = 256;
std::vector<std::uint8_t> EnlargeGlyphPicture(const GlyphPixels& picture, int side);
