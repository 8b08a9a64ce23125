#include "cp932_text.h"
#include "program_folder.h"
#include "split_path.h"
#include "window_placement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PlacementCase {
    RECT rect;
    int code;
    int x;
    int y;
};

TEST(PlacementOrigin, CornersAndCentreOn1024x768)
{
    const PlacementCase cases[] = {
        {{0, 0, 200, 100}, 0, 412, 334},
        {{0, 0, 200, 100}, 1, 0, 0},
        {{0, 0, 200, 100}, 2, 0, 668},
        {{0, 0, 200, 100}, 3, 824, 0},
        {{0, 0, 200, 100}, 4, 824, 668},
        {{0, 0, 200, 100}, 5, 412, 334},
        {{0, 0, 200, 100}, -1, 412, 334},
        {{300, 200, 500, 300}, 0, 412, 334},   // only the size counts, not where it is
        {{300, 200, 500, 300}, 4, 824, 668},
        {{0, 0, 201, 101}, 0, 411, 333},
        {{0, 0, 1100, 900}, 0, -38, -66},      // wider and taller than the screen
        {{0, 0, 1025, 769}, 0, 0, 0},          // -1 / 2 rounds toward zero
        {{0, 0, 1100, 100}, 3, -76, 0},
    };
    for (const PlacementCase& c : cases) {
        const WindowOrigin origin = PlacementOrigin(c.rect, 1024, 768, c.code);
        EXPECT_EQ(origin.x, c.x) << "code " << c.code << " width " << c.rect.right - c.rect.left;
        EXPECT_EQ(origin.y, c.y) << "code " << c.code << " height " << c.rect.bottom - c.rect.top;
    }
}

struct SplitCase {
    const char* path;
    const char* directory;
    const char* fileName;
};

TEST(SplitPath, DirectoryAndFileName)
{
    const SplitCase cases[] = {
        {"KELVIX.LOG", "", "KELVIX.LOG"},
        {"C:\\KV\\KELVIX.LOG", "C:\\KV", "KELVIX.LOG"},
        {"C:\\A\\B\\7SEG_G.KVX", "C:\\A\\B", "7SEG_G.KVX"},
        {"C:\\", "C:", ""},
        {"\\HDDATA.CFG", "", "HDDATA.CFG"},
        {"", "", ""},
        // "表" and "ソ" end in the byte 0x5C: not separators.
        {"C:\\\x95\x5C\\A.LOG", "C:\\\x95\x5C", "A.LOG"},
        {"C:\\\x83\x5C", "C:", "\x83\x5C"},
        {"\x83\x5C\x83\x5C.LOG", "", "\x83\x5C\x83\x5C.LOG"},
    };
    for (const SplitCase& c : cases) {
        std::string directory = "old";
        std::string fileName = "old";
        ASSERT_TRUE(SplitPath(c.path, &directory, &fileName)) << c.path;
        EXPECT_EQ(directory, c.directory) << c.path;
        EXPECT_EQ(fileName, c.fileName) << c.path;
    }
}

TEST(SplitPath, AbsentPathOrOutputs)
{
    std::string fileName;
    EXPECT_FALSE(SplitPath(nullptr, nullptr, &fileName));
    EXPECT_TRUE(SplitPath("C:\\X\\Y.LOG", nullptr, &fileName));
    EXPECT_EQ(fileName, "Y.LOG");
    std::string directory;
    EXPECT_TRUE(SplitPath("C:\\X\\Y.LOG", &directory, nullptr));
    EXPECT_EQ(directory, "C:\\X");
}

TEST(Cp932FitLength, NeverSplitsADoubleByteCharacter)
{
    const struct {
        const char* text;
        std::size_t limit;
        std::size_t expected;
    } cases[] = {
        {"ABCDEF", 4, 4},
        {"AB", 5, 2},
        {"", 5, 0},
        {"\x82\xA0\x82\xA2", 3, 2},     // あい: the second character does not fit
        {"\x82\xA0\x82\xA2", 4, 4},
        {"A\x82\xA0", 2, 1},
        {"A\x82\xA0", 3, 3},
        {"A\x82", 5, 2},                // a lead byte without trail counts as one byte
        {"\xB1\xB2\xB3", 2, 2},         // half-width katakana are single bytes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp932FitLength(c.text, c.limit), c.expected) << c.text << " limit " << c.limit;
    }
}

// A restored window brought into the work area of its monitor, moved as little as possible.
TEST(OriginInside, WindowsComeBackIntoTheWorkArea)
{
    const RECT area{0, 0, 1024, 738};  // a taskbar below
    const RECT secondArea{-1280, 0, 0, 1024};  // a monitor to the left
    struct Case {
        RECT window;
        RECT area;
        int x;
        int y;
    };
    const Case cases[] = {
        {{100, 120, 300, 220}, area, 100, 120},       // inside: stays
        {{3000, 2000, 3200, 2100}, area, 824, 638},   // saved on a monitor that is gone
        {{-500, -300, -300, -200}, area, 0, 0},       // left of and above everything
        {{900, 700, 1100, 800}, area, 824, 638},      // partly off the bottom right
        {{-100, 50, 1200, 900}, area, 0, 0},          // larger than the area: its top left
        {{-1000, 500, -800, 600}, secondArea, -1000, 500},
        {{-2000, 500, -1800, 600}, secondArea, -1280, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.window.left << "," << c.window.top);
        const WindowOrigin origin = OriginInside(c.window, c.area);
        EXPECT_EQ(origin.x, c.x);
        EXPECT_EQ(origin.y, c.y);
    }
}

// Relative file names are taken beside the program (started at logon, the working folder
// is System32); absolute ones, and every name before the folder is known, stand as written.
TEST(ProgramFolder, RelativeNamesGoBesideTheProgram)
{
    struct Case {
        const char* program;
        const char* name;
        const char* file;
    };
    const Case cases[] = {
        {"C:\\Program Files\\KELVIX\\KELVIX.exe", "HDDATA.CFG", "C:\\Program Files\\KELVIX\\HDDATA.CFG"},
        {"C:\\Program Files\\KELVIX\\KELVIX.exe", "glyphs\\7SEG_G.KVX", "C:\\Program Files\\KELVIX\\glyphs\\7SEG_G.KVX"},
        {"C:\\KV\\KELVIX.exe", "..\\KELVIX.LOG", "C:\\KV\\..\\KELVIX.LOG"},
        {"C:\\KELVIX.exe", "HDDATA.CFG", "C:\\HDDATA.CFG"},
        {"C:\\\x95\x5C\\KELVIX.exe", "A.LOG", "C:\\\x95\x5C\\A.LOG"},  // "表" ends in 0x5C
        {"C:\\KV\\KELVIX.exe", "D:\\LOGS\\KELVIX.LOG", "D:\\LOGS\\KELVIX.LOG"},
        {"C:\\KV\\KELVIX.exe", "d:KELVIX.LOG", "d:KELVIX.LOG"},
        {"C:\\KV\\KELVIX.exe", "\\\\server\\share\\HDDATA.CFG", "\\\\server\\share\\HDDATA.CFG"},
        {"C:\\KV\\KELVIX.exe", "\\KELVIX.LOG", "\\KELVIX.LOG"},
        {"C:\\KV\\KELVIX.exe", "/tmp/x.cfg", "/tmp/x.cfg"},
        {"C:\\KV\\KELVIX.exe", "", ""},
        {"KELVIX.exe", "HDDATA.CFG", "HDDATA.CFG"},  // no folder known
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " + " + c.name);
        SetProgramFolderFrom(c.program);
        EXPECT_EQ(BesideProgram(c.name), c.file);
    }
    SetProgramFolderFrom("");
    EXPECT_EQ(BesideProgram("HDDATA.CFG"), "HDDATA.CFG");
    EXPECT_EQ(ResolveBeside("C:\\KV", nullptr), "");
}

}  // namespace
