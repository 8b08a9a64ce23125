// The version-resource reader against small resource modules built for the test.
#include "version_info_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VersionInfo, ReadsStringsInTheFirstTranslation)
{
    VersionInfo info;
    ASSERT_EQ(info.Load("VERINFO.DLL"), 1);
    EXPECT_EQ(info.LanguageId(), 0x0411);
    EXPECT_EQ(info.CodePage(), 932);

    struct Case {
        const char* name;
        std::string expected;
    };
    const Case cases[] = {
        {"FileDescription", "温度テスト"},
        {"FileVersion", "1.2.3 beta"},
        {"LegalCopyright", "(null)"},
        {"ProductName", "(error)"},
        {nullptr, "(error)"},
        {std::string(300, 'x').c_str(), "(error)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(info.Query(c.name), c.expected) << (c.name ? c.name : "null");
    }
}

TEST(VersionInfo, RefusesFilesWithoutOneTranslation)
{
    const char* const refused[] = {
        "TWOTRANS.DLL",  // an 8-byte translation entry
        "7SEG_G.KVX",    // a module without version resource
        "NOSUCHFILE.DLL",
        "",
    };
    for (const char* path : refused) {
        VersionInfo info;
        EXPECT_EQ(info.Load(path), 0) << path;
        EXPECT_STREQ(info.Query("FileDescription"), "(error)") << path;
    }
    VersionInfo info;
    EXPECT_EQ(info.Load(nullptr), 0);
}

TEST(VersionInfo, LoadReplacesAndFreeForgets)
{
    VersionInfo info;
    ASSERT_EQ(info.Load("VERINFO.DLL"), 1);
    EXPECT_EQ(info.Load("TWOTRANS.DLL"), 0);
    EXPECT_STREQ(info.Query("FileVersion"), "(error)");
    ASSERT_EQ(info.Load("VERINFO.DLL"), 1);
    info.Free();
    EXPECT_STREQ(info.Query("FileVersion"), "(error)");
    info.Free();  // twice is harmless
}

}  // namespace
