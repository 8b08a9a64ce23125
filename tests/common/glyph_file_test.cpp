// Glyph files are loaded as data: a module chosen as glyph file never runs its code.
#include "glyph_picture.h"
#include "glyphs_win.h"

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
    GlyphIcons glyphs;
    EXPECT_FALSE(glyphs.Load("MARKING.KVX", GlyphSet::Monitor)) << "it holds no glyphs";
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
    GlyphIcons glyphs;
    ASSERT_TRUE(glyphs.Load("7SEG_G.KVX", GlyphSet::Monitor));
    for (int index = 0; index < kGlyphCount; ++index) {
        EXPECT_TRUE(glyphs.Usable(index)) << index;
    }
}

TEST(GlyphFile, EveryGroupsSoleEntryIsThePlatformsChoice)
{
    HMODULE module = LoadGlyphModule("7SEG_G.KVX");
    ASSERT_NE(module, nullptr);
    for (int id = kFirstGlyphId; id < kFirstGlyphId + kGlyphCount; ++id) {
        HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
        ASSERT_NE(group, nullptr) << id;
        const PBYTE directory = static_cast<PBYTE>(LockResource(LoadResource(module, group)));
        ASSERT_NE(directory, nullptr) << id;
        const int platform = LookupIconIdFromDirectoryEx(directory, TRUE, 16, 16, LR_DEFAULTCOLOR);
        EXPECT_NE(platform, 0) << id;
        EXPECT_EQ(SoleGlyphIconId(directory, SizeofResource(module, group)), platform) << id;
    }
    FreeLibrary(module);
}

}  // namespace
