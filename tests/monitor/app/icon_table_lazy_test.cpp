// The monitor's tray pictures composed when first shown: each looks exactly like the one
// the whole table is composed with, and only the pictures shown are made.
#include "icon_table_win.h"
#include "tray_icon_win.h"
#include "window_helpers_win.h"
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
    // Every slot, in an order that jumps between banks, counting what has been made.
    for (unsigned shown = 0; shown < kIconTableSize; ++shown) {
        const unsigned slot = shown * 89 % kIconTableSize;
        ReadyTraySlot(table, tray, slot);
        ASSERT_NE(table.icons[slot], nullptr) << slot;
        EXPECT_EQ(tray.SlotIcon(slot), table.icons[slot]) << slot;
        EXPECT_TRUE(IconsLookAlike(table.icons[slot], whole.icons[slot])) << slot;
        int composed = 0;
        for (HICON icon : table.icons) {
            composed += icon != nullptr;
        }
        ASSERT_EQ(composed, static_cast<int>(shown + 1)) << "only the shown pictures are made";
    }
    const HICON first = table.icons[0];
    ReadyTraySlot(table, tray, 0);  // made once
    EXPECT_EQ(table.icons[0], first);
    ReadyTraySlot(table, tray, kIconTableSize);  // outside the table: nothing
    tray.Destroy();
    DestroyIconTable(table);
    EXPECT_EQ(table.glyphs, nullptr);
    EXPECT_EQ(table.icons[41], nullptr);
    DestroyWindow(window);
}

}  // namespace
