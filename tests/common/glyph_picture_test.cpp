// Glyph pictures composed in memory: only the exact form of the glyph files is taken,
// layers lie over each other as the image lists merge them, and icon group directories
// give their sole entry.
#include "glyph_picture.h"

#include "glyph_art.h"
#include "ico_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kIconFileHeader = 6 + 16;  // icon file directory with one entry

// The picture's bytes as the glyph tool writes them into an icon resource.
std::vector<std::uint8_t> ResourceBytes(const glyph_art::Picture& picture)
{
    const std::vector<std::uint8_t> file = IconFileBytes({picture});
    return std::vector<std::uint8_t>(file.begin() + kIconFileHeader, file.end());
}

std::vector<std::uint8_t> GlyphBytes(int id)
{
    return ResourceBytes(glyph_art::GlyphPicture(id));
}

GlyphBits Bits(const std::vector<std::uint8_t>& bytes)
{
    return GlyphBits{bytes.data(), bytes.size()};
}

TEST(GlyphPicture, TakesOnlyTheGlyphFilesForm)
{
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
        std::size_t size;  // 0: the whole picture
        bool taken;
    };
    const Case cases[] = {
        {"as written", 0, 40, 0, true},
        {"no colour count", 32, 0, 0, true},
        {"trailing bytes", kGlyphPictureBytes, 0, kGlyphPictureBytes + 1, true},
        {"one byte short", 0, 40, kGlyphPictureBytes - 1, false},
        {"header only", 0, 40, 40, false},
        {"header size", 0, 12, 0, false},
        {"PNG entry", 0, 0x89, 0, false},
        {"width", 4, 32, 0, false},
        {"height", 8, 16, 0, false},
        {"planes", 12, 2, 0, false},
        {"bits per pixel", 14, 8, 0, false},
        {"compressed", 16, 2, 0, false},
        {"colour count", 32, 8, 0, false},
        {"palette colour", 40 + 4 * 13 + 1, 1, 0, false},
        {"palette reserved byte", 40 + 4 * 7 + 3, 1, 0, false},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = GlyphBytes(glyph_art::kBackground);
        ASSERT_EQ(bytes.size(), kGlyphPictureBytes);
        bytes.resize(std::max(bytes.size(), c.offset + 1));
        bytes[c.offset] = c.value;
        const std::size_t size = c.size ? c.size : kGlyphPictureBytes;
        const GlyphBits bits{bytes.data(), size};
        GlyphPixels picture;
        EXPECT_EQ(DecodeGlyphPicture(bits, picture), c.taken) << c.what;
        GlyphPictureBytes composed;
        EXPECT_EQ(ComposeGlyphPictures(&bits, 1, composed), c.taken) << c.what;
    }
    GlyphPixels picture;
    EXPECT_FALSE(DecodeGlyphPicture(GlyphBits{nullptr, kGlyphPictureBytes}, picture));
}

TEST(GlyphPicture, LayersComposeAsTheGlyphToolOverlaysThem)
{
    using namespace glyph_art;
    struct Case {
        std::vector<int> ids;
        Picture expected;
    };
    const Case cases[] = {
        {{kFixedIcon}, GlyphPicture(kFixedIcon)},
        {{kBackground, kStopped}, Overlay(GlyphPicture(kBackground), GlyphPicture(kStopped))},
        {{kBackground, kTensWarning + 4, kOnesWarning + 7},
            Overlay(Overlay(GlyphPicture(kBackground), GlyphPicture(kTensWarning + 4)), GlyphPicture(kOnesWarning + 7))},
        {{kTensNormal + 9, kOnesNormal + 1},  // no opaque background: the mask is both glyphs'
            Overlay(GlyphPicture(kTensNormal + 9), GlyphPicture(kOnesNormal + 1))},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<std::uint8_t>> layers;
        std::vector<GlyphBits> bits;
        for (int id : c.ids) layers.push_back(GlyphBytes(id));
        for (const std::vector<std::uint8_t>& layer : layers) bits.push_back(Bits(layer));
        GlyphPictureBytes composed;
        ASSERT_TRUE(ComposeGlyphPictures(bits.data(), bits.size(), composed)) << c.ids.front();
        const std::vector<std::uint8_t> expected = ResourceBytes(c.expected);
        EXPECT_EQ(std::vector<std::uint8_t>(composed.begin(), composed.end()), expected) << c.ids.back();
    }
}

TEST(GlyphPicture, RefusesLayersTheImageListsWouldShowOtherwise)
{
    const std::vector<std::uint8_t> background = GlyphBytes(glyph_art::kBackground);
    std::vector<std::uint8_t> coloured = GlyphBytes(glyph_art::kOnesNormal + 8);
    // Pixel 0 of the bottom row: transparent in a ones glyph, now red under the mask.
    ASSERT_NE(coloured[kGlyphPictureBytes - 64] & 0x80, 0);
    coloured[40 + 64] = 0x90;
    const std::vector<std::uint8_t> truncated(background.begin(), background.end() - 1);

    const GlyphBits colouredOver[] = {Bits(background), Bits(coloured)};
    const GlyphBits truncatedOver[] = {Bits(background), Bits(truncated)};
    GlyphPictureBytes out{};
    out[0] = 0x5A;
    EXPECT_FALSE(ComposeGlyphPictures(colouredOver, 2, out));
    EXPECT_FALSE(ComposeGlyphPictures(truncatedOver, 2, out));
    EXPECT_FALSE(ComposeGlyphPictures(colouredOver, 0, out));
    EXPECT_EQ(out[0], 0x5A) << "a refusal leaves the result alone";
}

TEST(GlyphPicture, SoleEntryOfAnIconGroup)
{
    // GRPICONDIR (reserved, type, count) and one 14-byte GRPICONDIRENTRY ending in its id.
    const std::vector<std::uint8_t> sole = {0, 0, 1, 0, 1, 0, 16, 16, 16, 0, 1, 0, 4, 0, 40, 1, 0, 0, 0x34, 0x12};
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
        std::size_t size;
        int id;
    };
    const Case cases[] = {
        {"one 16 x 16 entry", 0, 0, 20, 0x1234},
        {"short", 0, 0, 19, 0},
        {"reserved", 0, 1, 20, 0},
        {"cursor group", 2, 2, 20, 0},
        {"two entries", 4, 2, 20, 0},
        {"32 wide", 6, 32, 20, 0},
        {"32 high", 7, 32, 20, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> directory = sole;
        directory[c.offset] = c.value;
        EXPECT_EQ(SoleGlyphIconId(directory.data(), c.size), c.id) << c.what;
    }
    EXPECT_EQ(SoleGlyphIconId(nullptr, 20), 0);
}

}  // namespace
