// The drawing-object holders: what each create stores and makes, and what it refuses.
#include "gdi_brush_win.h"
#include "gdi_font_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(GdiFont, StartsAsNormalSystemWithoutHandle)
{
    GDIFONT font;
    LOGFONTA record;
    std::memset(&record, 0xCC, sizeof record);
    font.GetLogFont(&record);
    EXPECT_EQ(font.Handle(), nullptr);
    EXPECT_EQ(record.lfWeight, FW_NORMAL);
    EXPECT_STREQ(record.lfFaceName, "System");
    EXPECT_EQ(record.lfHeight, 0);
    EXPECT_EQ(record.lfItalic, 0);
}

TEST(GdiFont, FieldWiseCreatesStoreTheirFieldsAndKeepTheRest)
{
    GDIFONT font;
    ASSERT_TRUE(font.Create(16, 7, 0, "Arial", 700, 1, 1, 0));
    ASSERT_TRUE(font.Create(14, 6, 128, "Tahoma"));
    LOGFONTA record;
    font.GetLogFont(&record);
    EXPECT_EQ(record.lfHeight, 14);
    EXPECT_EQ(record.lfWidth, 6);
    EXPECT_EQ(record.lfCharSet, 128);
    EXPECT_STREQ(record.lfFaceName, "Tahoma");
    EXPECT_EQ(record.lfWeight, 700);  // kept from the first create
    EXPECT_EQ(record.lfItalic, 1);
    EXPECT_NE(font.Handle(), nullptr);
}

TEST(GdiFont, RefusesLongFaceNamesAndKeepsTheOldFont)
{
    GDIFONT font;
    ASSERT_TRUE(font.Create(12, 6, 0, "Arial", 700));
    const HFONT before = font.Handle();
    const std::string face31(31, 'F');
    const std::string face32(32, 'F');
    EXPECT_FALSE(font.Create(20, 10, 0, face32.c_str(), 400));
    EXPECT_FALSE(font.Create(20, 10, 0, face32.c_str()));
    EXPECT_FALSE(font.Create(20, 10, 0, nullptr));
    EXPECT_EQ(font.Handle(), before);
    LOGFONTA record;
    font.GetLogFont(&record);
    EXPECT_EQ(record.lfHeight, 12);
    EXPECT_STREQ(record.lfFaceName, "Arial");
    EXPECT_TRUE(font.Create(20, 10, 0, face31.c_str()));
    font.GetLogFont(&record);
    EXPECT_EQ(std::string(record.lfFaceName), face31);
}

TEST(GdiFont, WholeRecordWithoutTerminatorIsCut)
{
    LOGFONTA given = {};
    given.lfHeight = 18;
    std::memset(given.lfFaceName, 'A', sizeof given.lfFaceName);
    GDIFONT font;
    ASSERT_TRUE(font.Create(given));
    LOGFONTA record;
    font.GetLogFont(&record);
    EXPECT_EQ(std::strlen(record.lfFaceName), sizeof record.lfFaceName - 1);
    EXPECT_EQ(record.lfHeight, 18);
}

TEST(GdiFont, ApplySetsTheControlFontOnlyWithAHandle)
{
    HWND dialog = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    HWND text = CreateWindowA("STATIC", "x", WS_CHILD, 0, 0, 50, 20, dialog, reinterpret_cast<HMENU>(1001),
        nullptr, nullptr);
    ASSERT_NE(text, nullptr);
    const LRESULT original = SendMessageA(text, WM_GETFONT, 0, 0);

    GDIFONT font;
    font.Apply(dialog, 1001);
    EXPECT_EQ(SendMessageA(text, WM_GETFONT, 0, 0), original);
    ASSERT_TRUE(font.Create(14, 7, 0, "Arial", 700));
    font.Apply(dialog, 1001);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)), font.Handle());
    font.Delete();
    EXPECT_EQ(font.Handle(), nullptr);
    DestroyWindow(dialog);
}

TEST(GdiBrush, EachCreateMakesItsKindOfBrush)
{
    GDIBRUSH brush;
    EXPECT_EQ(brush.Handle(), nullptr);

    ASSERT_TRUE(brush.CreateSolid(RGB(10, 20, 30)));
    LOGBRUSH made = {};
    ASSERT_EQ(GetObjectA(brush.Handle(), sizeof made, &made), static_cast<int>(sizeof made));
    EXPECT_EQ(made.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(made.lbColor, RGB(10, 20, 30));

    ASSERT_TRUE(brush.CreateHatch(HS_CROSS, RGB(1, 2, 3)));
    ASSERT_EQ(GetObjectA(brush.Handle(), sizeof made, &made), static_cast<int>(sizeof made));
    EXPECT_EQ(made.lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(made.lbHatch, static_cast<ULONG_PTR>(HS_CROSS));

    const WORD bits[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
    ASSERT_NE(pattern, nullptr);
    ASSERT_TRUE(brush.CreatePattern(pattern));
    ASSERT_EQ(GetObjectA(brush.Handle(), sizeof made, &made), static_cast<int>(sizeof made));
    EXPECT_EQ(made.lbStyle, static_cast<UINT>(BS_PATTERN));

    // Solid again: the pattern and hatch are forgotten.
    ASSERT_TRUE(brush.CreateSolid(RGB(200, 0, 0)));
    ASSERT_EQ(GetObjectA(brush.Handle(), sizeof made, &made), static_cast<int>(sizeof made));
    EXPECT_EQ(made.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(brush.Colour(), RGB(200, 0, 0));
    brush.Delete();
    EXPECT_EQ(brush.Handle(), nullptr);
    DeleteObject(pattern);
}

}  // namespace
