// Glyph files are loaded as data: a module chosen as glyph file never runs its code.
#include "glyphs.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

bool ModuleCodeRan()
{
    char mark[8] = {};
    return GetEnvironmentVariableA("KV_MODULE_CODE_RAN", mark, sizeof mark) != 0;
}

TEST(GlyphFile, AModuleWithStartUpCodeLoadsWithoutRunningIt)
{
    SetEnvironmentVariableA("KV_MODULE_CODE_RAN", nullptr);
    EXPECT_EQ(LoadGlyphs("MARKING.KVX"), nullptr) << "it holds no glyphs";
    EXPECT_FALSE(ModuleCodeRan()) << "choosing it as glyph file ran its start-up code";
    HMODULE data = LoadGlyphModule("MARKING.KVX");
    ASSERT_NE(data, nullptr);
    EXPECT_FALSE(ModuleCodeRan());
    FreeLibrary(data);

    // The same module loaded as a library does leave the mark.
    HMODULE code = LoadLibraryA(".\\MARKING.KVX");
    ASSERT_NE(code, nullptr);
    EXPECT_TRUE(ModuleCodeRan());
    FreeLibrary(code);
}

TEST(GlyphFile, TheDefaultGlyphFileStillGivesEveryGlyph)
{
    HIMAGELIST glyphs = LoadGlyphs("7SEG_G.KVX");
    ASSERT_NE(glyphs, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(glyphs), kGlyphCount);
    ImageList_Destroy(glyphs);
}

}  // namespace
