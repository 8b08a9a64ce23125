// Tray pictures at 150 % display scaling (this test runs in the harness at 144 dpi, where
// the small-icon size is 24): each picture is the 16-pixel one, pixel for pixel, on a
// transparent border, as Windows draws them; and a table made at another size is made
// anew. Picture: tray_pictures_144dpi.png.
#include "glyphs_win.h"
#include "icon_table_win.h"
#include "png_file.h"
#include "tray_icon_win.h"
#include "window_helpers_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;

int IconWidth(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

std::string ShotPath(const char* name)
{
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KV_SCREENSHOT_DIR", folder, sizeof folder);
    return length > 0 && length < sizeof folder ? "Z:" + std::string(folder) + "/" + name : std::string(name);
}

TEST(TrayScaling, TheDisplayAsksFor24Pixels)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 24);
    EXPECT_EQ(TrayPictureSide(), 24);
}

TEST(TrayScaling, PicturesAreThe16PixelOnesOnATransparentBorder)
{
    GlyphIcons glyphs;
    ASSERT_TRUE(glyphs.Load("7SEG_G.KVX", GlyphSet::Monitor));
    ASSERT_EQ(glyphs.PictureSide(), 24);
    GlyphIcons small;
    ASSERT_TRUE(small.Load("7SEG_G.KVX", GlyphSet::Monitor));
    small.SetPictureSide(16);

    const int side = 24;
    const int border = 4;
    std::vector<std::uint32_t> sheet;
    const int slots[] = {0, 7, 38, 45, 99, 152, 200, 201, 202};
    const int count = static_cast<int>(sizeof slots / sizeof slots[0]);
    sheet.assign(static_cast<std::size_t>(side * count * side), 0xFFFFFF);
    for (int n = 0; n < count; ++n) {
        const int slot = slots[n];
        HICON large = slot < kDigitIconCount ? ComposeDigitIcon(glyphs, slot)
            : glyphs.Compose({kGlyphBackground, slot == 200 ? kGlyphNoTemperature : slot == 201 ? kGlyphStopped : kGlyphFixedIcon});
        HICON reference = slot < kDigitIconCount ? ComposeDigitIcon(small, slot)
            : small.Compose({kGlyphBackground, slot == 200 ? kGlyphNoTemperature : slot == 201 ? kGlyphStopped : kGlyphFixedIcon});
        ASSERT_NE(large, nullptr) << slot;
        ASSERT_NE(reference, nullptr) << slot;
        EXPECT_EQ(IconWidth(large), side) << slot;
        EXPECT_EQ(IconWidth(reference), 16) << slot;
        const std::vector<std::uint32_t> drawn = RenderIcon(large, kMagenta, side);
        const std::vector<std::uint32_t> expected = RenderIcon(reference, kMagenta, 16);
        int wrong = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const bool inner = x >= border && y >= border && x < border + 16 && y < border + 16;
                const std::uint32_t want = inner ? expected[static_cast<std::size_t>((y - border) * 16 + x - border)] : kMagenta;
                wrong += drawn[static_cast<std::size_t>(y * side + x)] == want ? 0 : 1;
                sheet[static_cast<std::size_t>(y * side * count + n * side + x)] = drawn[static_cast<std::size_t>(y * side + x)];
            }
        }
        EXPECT_EQ(wrong, 0) << "slot " << slot;
        DestroyIcon(large);
        DestroyIcon(reference);
    }
    EXPECT_TRUE(WritePng(ShotPath("tray_pictures_144dpi.png"), side * count, side, sheet));
}

TEST(TrayScaling, ATableMadeAtAnotherSizeIsMadeAnew)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClass(instance, "KV_REFIT_TEST", DefWindowProcA, 0, false, 0));
    HWND window = CreateHiddenWindow(instance, "KV_REFIT_TEST", "refit test");
    ASSERT_NE(window, nullptr);
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance, window, 1, kIconTableSize));

    IconTable empty;
    EXPECT_FALSE(RefitIconTable(empty, tray, "7SEG_G.KVX", 45));  // nothing loaded: stays so
    EXPECT_EQ(empty.icons[45], nullptr);

    IconTable table;
    ASSERT_TRUE(ComposeIconTable(table, "7SEG_G.KVX"));
    EXPECT_EQ(table.side, 24);
    EXPECT_FALSE(RefitIconTable(table, tray, "7SEG_G.KVX", 45));  // already fits
    table.side = 16;  // as if made before the scaling changed
    const HICON before = table.icons[45];
    EXPECT_TRUE(RefitIconTable(table, tray, "7SEG_G.KVX", 45));
    EXPECT_EQ(table.side, 24);
    EXPECT_NE(table.icons[45], before);
    EXPECT_EQ(tray.SlotIcon(45), table.icons[45]);
    EXPECT_EQ(IconWidth(table.icons[45]), 24);
    tray.Destroy();
    DestroyWindow(window);
}

}  // namespace
