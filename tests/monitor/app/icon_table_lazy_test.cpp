// The monitor's tray pictures composed when first shown: each looks exactly like the one
// the whole table is composed with, and only the pictures shown are made.
#include "icon_table.h"
#include "tray_icon.h"
#include "window_helpers.h"
#include "window_picture.h"

#include <gtest/gtest.h>

namespace {

TEST(IconTableOnDemand, ComposesOnlyTheShownSlotsAsTheWholeTableHasThem)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(RegisterWindowClass(instance, "KV_LAZY_ICON_TEST", DefWindowProcA, 0, false, 0));
    HWND window = CreateHiddenWindow(instance, "KV_LAZY_ICON_TEST", "lazy icon test");
    ASSERT_NE(window, nullptr);
    IconTable whole;
    ASSERT_TRUE(ComposeIconTable(whole, "7SEG_G.KVX"));

    IconTable table;
    EXPECT_FALSE(LoadIconTable(table, "NO543.KVX"));
    EXPECT_EQ(table.glyphs, nullptr);
    ASSERT_TRUE(LoadIconTable(table, "7SEG_G.KVX"));
    TrayIcon tray;
    ASSERT_TRUE(tray.Create(instance, window, 1, kIconTableSize));
    const unsigned shown[] = {0, 9, 41, 99, 100, 141, 199, kSlotNoTemperature, kSlotStopped, kSlotFixedIcon};
    for (unsigned slot : shown) {
        ReadyTraySlot(table, tray, slot);
        ASSERT_NE(table.icons[slot], nullptr) << slot;
        EXPECT_EQ(tray.SlotIcon(slot), table.icons[slot]) << slot;
        EXPECT_EQ(RenderIcon(table.icons[slot]), RenderIcon(whole.icons[slot])) << slot;
    }
    ReadyTraySlot(table, tray, kIconTableSize);  // outside the table: nothing
    int composed = 0;
    for (HICON icon : table.icons) {
        composed += icon != nullptr;
    }
    EXPECT_EQ(composed, static_cast<int>(sizeof shown / sizeof shown[0]));
    tray.Destroy();
    DestroyIconTable(table);
    EXPECT_EQ(table.glyphs, nullptr);
    EXPECT_EQ(table.icons[41], nullptr);
    DestroyWindow(window);
}

}  // namespace
