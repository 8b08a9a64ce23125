#include "glyph_art.h"
#include "ico_writer.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace glyph_art;

namespace {

// Columns holding any opaque pixel, as a bit set (bit x = column x).
unsigned OpaqueColumns(const Picture& picture)
{
    unsigned columns = 0;
    for (int y = 0; y < picture.size; ++y) {
        for (int x = 0; x < picture.size; ++x) {
            if (picture.At(x, y) != PAL_TRANSPARENT) {
                columns |= 1u << x;
            }
        }
    }
    return columns;
}

std::string Pixels(const Picture& picture)
{
    return std::string(reinterpret_cast<const char*>(picture.pixels), picture.size * picture.size);
}

TEST(GlyphArt, TensLeftOnesRight)
{
    const struct {
        int firstId;
        unsigned allowedColumns;
    } banks[] = {
        {kOnesNormal, 0xFF00}, {kTensNormal, 0x00FF}, {kOnesWarning, 0xFF00}, {kTensWarning, 0x00FF},
    };
    for (const auto& bank : banks) {
        for (int digit = 0; digit <= 9; ++digit) {
            const unsigned columns = OpaqueColumns(GlyphPicture(bank.firstId + digit));
            EXPECT_NE(columns, 0u) << bank.firstId + digit;
            EXPECT_EQ(columns & ~bank.allowedColumns, 0u) << bank.firstId + digit;
        }
    }
}

TEST(GlyphArt, TenDistinctDigitsPerBank)
{
    for (int firstId : {kOnesNormal, kTensNormal, kOnesWarning, kTensWarning}) {
        std::set<std::string> seen;
        for (int digit = 0; digit <= 9; ++digit) {
            seen.insert(Pixels(GlyphPicture(firstId + digit)));
        }
        EXPECT_EQ(seen.size(), 10u) << firstId;
    }
}

TEST(GlyphArt, EightLightsEverySegmentOfItsCell)
{
    EXPECT_EQ(DigitSegments(8), 0x7F);
    EXPECT_EQ(DigitSegments(1), 0x06);
    const Picture tens = GlyphPicture(kTensNormal + 8);
    const Picture ones = GlyphPicture(kOnesNormal + 8);
    // Middle bar at rows 7 and 8 across the cell, holes above and below it.
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(tens.At(1 + x, 7), PAL_GREEN) << x;
        EXPECT_EQ(ones.At(9 + x, 8), PAL_GREEN) << x;
    }
    // A free frame of one pixel around the digits.
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(tens.At(0, i), PAL_TRANSPARENT) << i;
        EXPECT_EQ(ones.At(15, i), PAL_TRANSPARENT) << i;
        EXPECT_EQ(tens.At(i, 15), PAL_TRANSPARENT) << i;
        EXPECT_EQ(ones.At(i, 0), PAL_TRANSPARENT) << i;
    }
    EXPECT_EQ(tens.At(3, 4), PAL_TRANSPARENT);
    EXPECT_EQ(tens.At(3, 10), PAL_TRANSPARENT);
    EXPECT_EQ(GlyphPicture(kTensNormal + 0).At(3, 7), PAL_TRANSPARENT);
}

TEST(GlyphArt, WarningBankLooksDifferent)
{
    // Composed 41 in both banks over the background.
    const Picture background = GlyphPicture(kBackground);
    const Picture normal = Overlay(Overlay(background, GlyphPicture(kTensNormal + 4)), GlyphPicture(kOnesNormal + 1));
    const Picture warning =
        Overlay(Overlay(background, GlyphPicture(kTensWarning + 4)), GlyphPicture(kOnesWarning + 1));
    int redInWarning = 0, redInNormal = 0;
    for (int i = 0; i < 256; ++i) {
        EXPECT_NE(normal.pixels[i], PAL_TRANSPARENT);
        EXPECT_NE(warning.pixels[i], PAL_TRANSPARENT);
        redInWarning += warning.pixels[i] == PAL_RED;
        redInNormal += normal.pixels[i] == PAL_RED;
    }
    EXPECT_EQ(redInNormal, 0);
    EXPECT_GT(redInWarning, 128);
}

TEST(GlyphArt, BackgroundAndFixedIconAreWholeOverlaysAreNot)
{
    EXPECT_EQ(OpaqueColumns(GlyphPicture(kBackground)), 0xFFFFu);
    EXPECT_EQ(OpaqueColumns(GlyphPicture(kFixedIcon)), 0xFFFFu);
    for (int id : {kNoTemperature, kStopped}) {
        const Picture overlay = GlyphPicture(id);
        int transparent = 0;
        for (int i = 0; i < 256; ++i) {
            transparent += overlay.pixels[i] == PAL_TRANSPARENT;
        }
        EXPECT_GT(transparent, 0) << id;
        EXPECT_LT(transparent, 256) << id;
    }
    EXPECT_NE(Pixels(GlyphPicture(kNoTemperature)), Pixels(GlyphPicture(kStopped)));
}

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

TEST(IconFileBytes, DirectoryAndMaskMatchThePicture)
{
    Picture picture(16, PAL_TRANSPARENT);
    picture.Set(0, 0, PAL_RED);     // top-left opaque red, the rest transparent
    const std::vector<std::uint8_t> bytes = IconFileBytes({picture, ProgramIconPicture(32)});
    ASSERT_GE(bytes.size(), 6u + 32u);
    EXPECT_EQ(bytes[2], 1);     // icon
    EXPECT_EQ(bytes[4], 2);     // two images
    EXPECT_EQ(bytes[6], 16);
    EXPECT_EQ(bytes[22], 32);
    const std::uint32_t size16 = Read32(bytes, 14), offset16 = Read32(bytes, 18);
    const std::uint32_t size32 = Read32(bytes, 30), offset32 = Read32(bytes, 34);
    EXPECT_EQ(offset16, 38u);
    EXPECT_EQ(size16, 40u + 64u + 16u * 8u + 16u * 4u);
    EXPECT_EQ(offset32, offset16 + size16);
    EXPECT_EQ(size32, 40u + 64u + 32u * 16u + 32u * 4u);
    EXPECT_EQ(bytes.size(), offset32 + size32);
    EXPECT_EQ(Read32(bytes, offset16 + 8), 32u);   // height covers colour and mask
    // Rows are bottom-up: the picture's top row is the last colour row and mask row.
    const std::size_t colour = offset16 + 40 + 64;
    const std::size_t mask = colour + 16 * 8;
    EXPECT_EQ(bytes[colour + 15 * 8], PAL_RED << 4);
    EXPECT_EQ(bytes[mask + 15 * 4], 0x7F);         // pixel 0 opaque, 1 to 7 transparent
    EXPECT_EQ(bytes[mask + 15 * 4 + 1], 0xFF);
    EXPECT_EQ(bytes[mask], 0xFF);
}

}  // namespace
