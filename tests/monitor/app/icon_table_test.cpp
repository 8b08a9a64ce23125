#include "glyph_art.h"
#include "glyph_picture.h"
#include "glyphs_win.h"
#include "icon_table_win.h"
#include "tray_icon_win.h"
#include "window_helpers_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Glyph files beside the test: the default one, and one that lacks icon 543.
constexpr const char* kGlyphFile = "7SEG_G.KVX";
constexpr const char* kGlyphFileWithout543 = "NO543.KVX";

namespace {

constexpr std::uint32_t kUnpainted = 0xFF00FF;  // what RenderIcon draws the icon over

std::vector<std::uint32_t> Expected(const glyph_art::Picture& picture)
{
    std::vector<std::uint32_t> result;
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t colour = picture.pixels[i];
        result.push_back(colour == glyph_art::PAL_TRANSPARENT ? kUnpainted : glyph_art::kPalette[colour]);
    }
    return result;
}

glyph_art::Picture Composed(int tensId, int onesId)
{
    using namespace glyph_art;
    return Overlay(Overlay(GlyphPicture(kBackground), GlyphPicture(tensId)), GlyphPicture(onesId));
}

// What slot n must look like, drawn from the same pictures the glyph file was made of.
glyph_art::Picture ExpectedSlot(unsigned slot)
{
    using namespace glyph_art;
    if (slot < 100) return Composed(kTensNormal + slot / 10, kOnesNormal + slot % 10);
    if (slot < 200) return Composed(kTensWarning + (slot - 100) / 10, kOnesWarning + slot % 10);
    if (slot == 200) return Overlay(GlyphPicture(kBackground), GlyphPicture(kNoTemperature));
    if (slot == 201) return Overlay(GlyphPicture(kBackground), GlyphPicture(kStopped));
    return GlyphPicture(kFixedIcon);
}

TEST(IconTable, SlotsShowBackgroundTensAndOnes)
{
    IconTable table;
    ASSERT_TRUE(ComposeIconTable(table, kGlyphFile));
    for (unsigned slot : {0u, 7u, 40u, 41u, 99u, 107u, 140u, 141u, 199u, 200u, 201u, 202u}) {
        ASSERT_NE(table.icons[slot], nullptr) << slot;
        const std::vector<std::uint32_t> shown = RenderIcon(table.icons[slot]);
        const std::vector<std::uint32_t> expected = Expected(ExpectedSlot(slot));
        int wrong = 0;
        for (int i = 0; i < 256; ++i) {
            wrong += shown[i] != expected[i];
        }
        EXPECT_EQ(wrong, 0) << "slot " << slot << ", first pixel " << std::hex << shown[0] << " want " << expected[0];
    }
}

TEST(IconTable, EverySlotFilledAndDistinct)
{
    IconTable table;
    ASSERT_TRUE(ComposeIconTable(table, kGlyphFile));
    std::vector<std::vector<std::uint32_t>> seen;
    for (unsigned slot = 0; slot < kIconTableSize; ++slot) {
        ASSERT_NE(table.icons[slot], nullptr) << slot;
        seen.push_back(RenderIcon(table.icons[slot]));
    }
    for (unsigned a = 0; a < kIconTableSize; ++a) {
        for (unsigned b = a + 1; b < kIconTableSize; ++b) {
            EXPECT_NE(seen[a], seen[b]) << a << " and " << b << " look the same";
        }
    }
    // A sheet of all 203 pictures, four times enlarged, for a person to look at.
    const std::vector<HICON> icons(table.icons, table.icons + kIconTableSize);
    EXPECT_TRUE(SaveIconSheet(icons, 20, 4, "icon_table.png"));
}

// The table is made in memory; every picture must look as the image-list merges make it.
TEST(IconTable, EverySlotLooksAsTheImageListsComposeIt)
{
    GlyphIcons glyphs;
    ASSERT_TRUE(glyphs.Load(kGlyphFile, GlyphSet::Monitor));
    GlyphPictureBytes unused;
    for (int index = 0; index < kGlyphCount; ++index) {
        const GlyphBits bits{glyphs.Bits(index).data(), glyphs.Bits(index).size()};
        ASSERT_TRUE(ComposeGlyphPictures(&bits, 1, unused)) << "glyph " << index << " would take the image lists";
    }
    IconTable table;
    ASSERT_TRUE(ComposeIconTable(table, kGlyphFile));
    const GlyphIcons::Route imageList = GlyphIcons::Route::ImageList;
    for (unsigned slot = 0; slot < kIconTableSize; ++slot) {
        HICON reference = slot < kDigitIconCount ? ComposeDigitIcon(glyphs, static_cast<int>(slot), imageList)
            : slot == kSlotNoTemperature         ? glyphs.Compose({kGlyphBackground, kGlyphNoTemperature}, imageList)
            : slot == kSlotStopped               ? glyphs.Compose({kGlyphBackground, kGlyphStopped}, imageList)
                                                 : glyphs.Compose({kGlyphFixedIcon}, imageList);
        ASSERT_NE(reference, nullptr) << slot;
        EXPECT_TRUE(IconsLookAlike(table.icons[slot], reference)) << "slot " << slot;
        DestroyIcon(reference);
    }
    const std::vector<HICON> icons(table.icons, table.icons + kIconTableSize);
    EXPECT_TRUE(SaveIconSheet(icons, 20, 4, "icon_table_in_memory.png"));
}

TEST(IconTable, GlyphFileWithout543IsRejectedByTheMonitorOnly)
{
    IconTable table;
    ASSERT_TRUE(ComposeIconTable(table, kGlyphFile));
    const HICON before = table.icons[41];
    EXPECT_FALSE(ComposeIconTable(table, kGlyphFileWithout543));
    EXPECT_EQ(table.icons[41], before);  // the old table stays
    EXPECT_FALSE(ComposeIconTable(table, "NOSUCHFILE.KVX"));
    GlyphIcons glyphs;
    EXPECT_FALSE(glyphs.Load(kGlyphFileWithout543, GlyphSet::Monitor));
    ASSERT_TRUE(glyphs.Load(kGlyphFileWithout543, GlyphSet::TrayClient));
    for (int index = 0; index < kGlyphCount; ++index) {
        EXPECT_TRUE(glyphs.Usable(index)) << index;
    }
}

TEST(IconTable, ReplacingKeepsTheOldPicturesOnFailure)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClass(instance, "KV_ICON_TEST", DefWindowProcA, 0, false, 0));
    HWND window = CreateHiddenWindow(instance, "KV_ICON_TEST", "icon test");
    ASSERT_NE(window, nullptr);
    IconTable table;
    ASSERT_TRUE(ComposeIconTable(table, kGlyphFile));
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance, window, 1, kIconTableSize));
    PutIconTableIntoTray(table, tray);
    tray.Add(kSlotStopped);

    const HICON old41 = table.icons[41];
    EXPECT_FALSE(ReplaceGlyphFile(table, tray, kGlyphFileWithout543, 41));
    EXPECT_EQ(table.icons[41], old41);
    EXPECT_EQ(tray.SlotIcon(41), old41);
    EXPECT_EQ(tray.CurrentSlot(), kSlotStopped);

    ASSERT_TRUE(ReplaceGlyphFile(table, tray, kGlyphFile, 41));
    EXPECT_NE(table.icons[41], nullptr);
    for (unsigned slot = 0; slot < kIconTableSize; ++slot) {
        EXPECT_EQ(tray.SlotIcon(slot), table.icons[slot]) << slot;
    }
    EXPECT_EQ(tray.CurrentSlot(), 41u);
    EXPECT_EQ(RenderIcon(table.icons[141]), Expected(ExpectedSlot(141)));
    tray.Destroy();
    DestroyWindow(window);
}

}  // namespace
