// Tray pictures enlarged to the small-icon size of the display: whole blocks, centred on a
// transparent border, in the form the icon calls take. The pixels are read back with a
// reader of this file's own, from the bitmap layout Windows documents.
#include "glyph_picture.h"

#include "glyph_art.h"
#include "ico_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::uint32_t Little32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

struct Pixel {
    int colour;
    bool transparent;
    bool operator==(const Pixel& other) const { return colour == other.colour && transparent == other.transparent; }
};

// Pixel (x, y) counted from the top-left corner, as a person sees the icon.
Pixel ReadPixel(const std::vector<std::uint8_t>& bytes, int side, int x, int y)
{
    const std::size_t colourStride = (side * 4 + 31) / 32 * 4;
    const std::size_t maskStride = (side + 31) / 32 * 4;
    const std::size_t colourStart = 40 + 64;
    const std::size_t maskStart = colourStart + colourStride * side;
    const std::size_t row = static_cast<std::size_t>(side - 1 - y);  // stored bottom row first
    const std::uint8_t pair = bytes[colourStart + row * colourStride + x / 2];
    const std::uint8_t mask = bytes[maskStart + row * maskStride + x / 8];
    return Pixel{x % 2 == 0 ? pair >> 4 : pair & 0x0F, (mask & (0x80 >> (x % 8))) != 0};
}

// A picture with a different colour in every column and row pair, and a transparent
// diagonal, so a pixel taken from the wrong place shows.
GlyphPixels Pattern()
{
    GlyphPixels picture;
    for (int y = 0; y < kGlyphSide; ++y) {        // y: top row 0
        for (int x = 0; x < kGlyphSide; ++x) {
            const int stored = (kGlyphSide - 1 - y) * kGlyphSide + x;
            const bool diagonal = x == y;
            picture.colour[stored] = diagonal ? 0 : static_cast<std::uint8_t>((x + 3 * y) % 16);
            picture.transparent[stored] = diagonal;
        }
    }
    return picture;
}

Pixel PatternPixel(int x, int y)
{
    return x == y ? Pixel{0, true} : Pixel{(x + 3 * y) % 16, false};
}

TEST(GlyphEnlargement, WholeBlocksCentredOnATransparentBorder)
{
    const struct {
        int side;       // the display's small-icon size
        int block;      // pixels per glyph pixel
        int border;     // transparent pixels left and right, above and below
        std::size_t bytes;
    } cases[] = {
        {16, 1, 0, 40 + 64 + 16 * 8 + 16 * 4},     // 100 %
        {20, 1, 2, 40 + 64 + 20 * 12 + 20 * 4},    // 125 %
        {24, 1, 4, 40 + 64 + 24 * 12 + 24 * 4},    // 150 %
        {28, 1, 6, 40 + 64 + 28 * 16 + 28 * 4},    // 175 %
        {32, 2, 0, 40 + 64 + 32 * 16 + 32 * 4},    // 200 %
        {40, 2, 4, 40 + 64 + 40 * 20 + 40 * 8},    // 250 %
        {48, 3, 0, 40 + 64 + 48 * 24 + 48 * 8},    // 300 %
    };
    const GlyphPixels pattern = Pattern();
    for (const auto& c : cases) {
        EXPECT_EQ(GlyphEnlargement(c.side), c.block) << c.side;
        const std::vector<std::uint8_t> bytes = EnlargeGlyphPicture(pattern, c.side);
        ASSERT_EQ(bytes.size(), c.bytes) << c.side;
        EXPECT_EQ(Little32(bytes, 0), 40u);
        EXPECT_EQ(Little32(bytes, 4), static_cast<std::uint32_t>(c.side));
        EXPECT_EQ(Little32(bytes, 8), static_cast<std::uint32_t>(2 * c.side));  // colour and mask
        EXPECT_EQ(bytes[14], 4);
        EXPECT_EQ(Little32(bytes, 20), c.bytes - 40 - 64);
        int wrong = 0;
        for (int y = 0; y < c.side; ++y) {
            for (int x = 0; x < c.side; ++x) {
                const int gx = x - c.border;
                const int gy = y - c.border;
                const bool onGlyph = gx >= 0 && gy >= 0 && gx < 16 * c.block && gy < 16 * c.block;
                const Pixel expected = onGlyph ? PatternPixel(gx / c.block, gy / c.block) : Pixel{0, true};
                wrong += ReadPixel(bytes, c.side, x, y) == expected ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0) << c.side << " pixels";
    }
}

TEST(GlyphEnlargement, SixteenPixelsKeepTheGlyphFilesBytes)
{
    const std::vector<std::uint8_t> file = IconFileBytes({glyph_art::GlyphPicture(513)});
    const std::vector<std::uint8_t> resource(file.begin() + 6 + 16, file.end());
    GlyphPixels picture;
    ASSERT_TRUE(DecodeGlyphPicture(GlyphBits{resource.data(), resource.size()}, picture));
    const std::vector<std::uint8_t> bytes = EnlargeGlyphPicture(picture, 16);
    ASSERT_EQ(bytes.size(), kGlyphPictureBytes);
    EXPECT_TRUE(std::equal(bytes.begin() + 40, bytes.end(), resource.begin() + 40));  // palette, pixels, mask
}

TEST(GlyphEnlargement, SizesNoIconHasAreRefused)
{
    const GlyphPixels pattern = Pattern();
    for (int side : {-1, 0, 15, kLargestPictureSide + 1}) {
        EXPECT_TRUE(EnlargeGlyphPicture(pattern, side).empty()) << side;
    }
    EXPECT_EQ(EnlargeGlyphPicture(pattern, kLargestPictureSide).size(), 40u + 64 + 256 * 128 + 256 * 32);
}

}  // namespace
