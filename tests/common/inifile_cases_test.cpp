// INIFILE value encodings, run natively and (Windows build) under Wine against the
// platform's profile functions.
#include "inifile.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ini_.Open(path_.c_str()), 1); }

    std::string Raw(const char* key)
    {
        char buffer[160];
        EXPECT_EQ(ini_.Read("S", key, "<none>", buffer, sizeof buffer), 1);
        return buffer;
    }
    void Given(const char* key, const char* text) { ASSERT_EQ(ini_.Write("S", key, text), 1); }

    TempDir dir_;
    std::string path_ = dir_.File("kelvix.ini");
    INIFILE ini_;
};

TEST_F(IniFileTest, IntegerWritesTable)
{
    struct Case {
        const char* key;
        int (*write)(INIFILE&, const char*);
        const char* text;
    };
    const Case cases[] = {
        {"u8", [](INIFILE& f, const char* k) { return f.Write("S", k, std::uint8_t{10}); }, "0x0a"},
        {"u8max", [](INIFILE& f, const char* k) { return f.Write("S", k, std::uint8_t{255}); }, "0xff"},
        {"i16", [](INIFILE& f, const char* k) { return f.Write("S", k, std::int16_t{-5}); }, "-5"},
        {"u16", [](INIFILE& f, const char* k) { return f.Write("S", k, std::uint16_t{10}); }, "0x000a"},
        {"i32", [](INIFILE& f, const char* k) { return f.Write("S", k, std::int32_t{-123456}); }, "-123456"},
        {"u32", [](INIFILE& f, const char* k) { return f.Write("S", k, std::uint32_t{4000000000u}); }, "4000000000"},
        {"long", [](INIFILE& f, const char* k) { return f.Write("S", k, -42L); }, "-42"},
        {"ulong", [](INIFILE& f, const char* k) { return f.Write("S", k, 10UL); }, "0x0000000a"},
        {"ulongmax", [](INIFILE& f, const char* k) { return f.Write("S", k, 4294967295UL); }, "0xffffffff"},
        {"float", [](INIFILE& f, const char* k) { return f.Write("S", k, 1.5f); }, "1.500000"},
        {"float01", [](INIFILE& f, const char* k) { return f.Write("S", k, 0.1f); }, "0.100000"},
        {"format", [](INIFILE& f, const char* k) { return f.Write("S", k, "%03u deg", 7u); }, "007 deg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.write(ini_, c.key), 1) << c.key;
        EXPECT_EQ(Raw(c.key), c.text) << c.key;
    }
}

TEST_F(IniFileTest, IntegerReadsAndNarrowing)
{
    Given("v300", "300");
    Given("v70000", "70000");
    Given("hex", "0xff");
    Given("neg", "-1");
    Given("all", "0xffffffff");
    Given("junk", "12abc");
    std::uint8_t u8 = 0;
    std::int16_t i16 = 0;
    std::uint16_t u16 = 0;
    std::int32_t i32 = 0;
    std::uint32_t u32 = 0;
    long l = 0;
    unsigned long ul = 0;

    EXPECT_EQ(ini_.Read("S", "v300", std::uint8_t{1}, &u8), 1);
    EXPECT_EQ(u8, 44);
    EXPECT_EQ(ini_.Read("S", "v70000", std::int16_t{1}, &i16), 1);
    EXPECT_EQ(i16, 4464);
    EXPECT_EQ(ini_.Read("S", "v70000", std::uint16_t{1}, &u16), 1);
    EXPECT_EQ(u16, 4464);
    EXPECT_EQ(ini_.Read("S", "hex", std::uint8_t{1}, &u8), 1);
    EXPECT_EQ(u8, 255);
    EXPECT_EQ(ini_.Read("S", "neg", std::uint16_t{1}, &u16), 1);
    EXPECT_EQ(u16, 0xFFFF);
    EXPECT_EQ(ini_.Read("S", "all", std::int32_t{1}, &i32), 1);
    EXPECT_EQ(i32, -1);
    EXPECT_EQ(ini_.Read("S", "all", std::uint32_t{1}, &u32), 1);
    EXPECT_EQ(u32, 0xFFFFFFFFu);
    EXPECT_EQ(ini_.Read("S", "all", 1L, &l), 1);
    EXPECT_EQ(l, -1L);
    EXPECT_EQ(ini_.Read("S", "all", 1UL, &ul), 1);
    EXPECT_EQ(ul, 0xFFFFFFFFUL);
    EXPECT_EQ(ini_.Read("S", "junk", std::int32_t{1}, &i32), 1);
    EXPECT_EQ(i32, 12);

    // Missing keys: the default, still a success.
    EXPECT_EQ(ini_.Read("S", "none", std::uint8_t{200}, &u8), 1);
    EXPECT_EQ(u8, 200);
    EXPECT_EQ(ini_.Read("S", "none", std::int16_t{-3}, &i16), 1);
    EXPECT_EQ(i16, -3);
    EXPECT_EQ(ini_.Read("S", "none", std::uint16_t{65535}, &u16), 1);
    EXPECT_EQ(u16, 65535);
    EXPECT_EQ(ini_.Read("S", "none", std::uint32_t{3000000000u}, &u32), 1);
    EXPECT_EQ(u32, 3000000000u);
    EXPECT_EQ(ini_.Read("S", "none", -9L, &l), 1);
    EXPECT_EQ(l, -9L);
}

TEST_F(IniFileTest, WrittenIntegersReadBack)
{
    ini_.Write("S", "a", std::uint8_t{255});
    ini_.Write("S", "b", std::uint16_t{40000});
    ini_.Write("S", "c", 4294967295UL);
    ini_.Write("S", "d", std::uint32_t{4000000000u});
    std::uint8_t a = 0;
    std::uint16_t b = 0;
    unsigned long c = 0;
    std::uint32_t d = 0;
    ini_.Read("S", "a", std::uint8_t{0}, &a);
    ini_.Read("S", "b", std::uint16_t{0}, &b);
    ini_.Read("S", "c", 0UL, &c);
    ini_.Read("S", "d", std::uint32_t{0}, &d);
    EXPECT_EQ(a, 255);
    EXPECT_EQ(b, 40000);
    EXPECT_EQ(c, 0xFFFFFFFFUL);
    EXPECT_EQ(d, 4000000000u);
}

TEST_F(IniFileTest, FloatReadTable)
{
    const struct {
        const char* text;  // null: key missing
        float expected;
    } cases[] = {
        {"2.5e3", 2500.0f}, {"1.500000", 1.5f}, {"-0.25", -0.25f}, {"3.5kg", 3.5f},
        {"abc", 0.0f},      {"0x10", 0.0f},     {"", 7.5f},         {nullptr, 7.5f},
    };
    for (const auto& c : cases) {
        if (c.text) {
            Given("f", c.text);
        } else {
            ini_.Write("S", "f", static_cast<const char*>(nullptr));  // removes the key
        }
        float value = -1.0f;
        EXPECT_EQ(ini_.Read("S", "f", 7.5f, &value), 1);
        EXPECT_FLOAT_EQ(value, c.expected) << (c.text ? c.text : "missing");
    }
}

TEST_F(IniFileTest, TextReads)
{
    Given("t", "0123456789");
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(ini_.Read("S", "t", "", buffer, 8), 1);
    EXPECT_STREQ(buffer, "0123456");
    EXPECT_EQ(ini_.Read("S", "missing", "dflt", buffer, 8), 1);
    EXPECT_STREQ(buffer, "dflt");
}

TEST_F(IniFileTest, FontValues)
{
    LOGFONTA font{};
    font.lfHeight = -16;
    font.lfWeight = 700;
    font.lfCharSet = 128;
    font.lfPitchAndFamily = 49;
    std::strcpy(font.lfFaceName, "F");
    EXPECT_EQ(ini_.Write("S", "font", &font), 1);
    EXPECT_EQ(Raw("font"), "-16,0,0,0,700,0,0,0,128,0,0,0,49,F");

    LOGFONTA read{};
    EXPECT_EQ(ini_.Read("S", "font", &read), 1);
    EXPECT_EQ(std::memcmp(&read, &font, sizeof font), 0);

    // Ending in a comma: numbers set, the old face name kept.
    Given("font", "-12,0,0,0,400,0,0,0,1,0,0,0,0,");
    EXPECT_EQ(ini_.Read("S", "font", &read), 1);
    EXPECT_EQ(read.lfHeight, -12);
    EXPECT_EQ(read.lfWeight, 400);
    EXPECT_EQ(read.lfCharSet, 1);
    EXPECT_EQ(read.lfPitchAndFamily, 0);
    EXPECT_STREQ(read.lfFaceName, "F");

    // Stops at the first non-number; 8-bit fields keep their low bits; the face name is
    // cut at its last comma and to the field's size.
    Given("font", "-20,5,x,9,9,9,9,9,9,9,9,9,9,Some,Face");
    EXPECT_EQ(ini_.Read("S", "font", &read), 1);
    EXPECT_EQ(read.lfHeight, -20);
    EXPECT_EQ(read.lfWidth, 5);
    EXPECT_EQ(read.lfEscapement, 0);
    EXPECT_STREQ(read.lfFaceName, "Face");
    Given("font", "1,2,3,4,5,257,0,0,0,0,0,0,0,ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    EXPECT_EQ(ini_.Read("S", "font", &read), 1);
    EXPECT_EQ(read.lfItalic, 1);
    EXPECT_EQ(std::string(read.lfFaceName), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");

    LOGFONTA untouched = read;
    Given("font", "");
    EXPECT_EQ(ini_.Read("S", "font", &read), 0);
    EXPECT_EQ(ini_.Read("S", "nofont", &read), 0);
    EXPECT_EQ(std::memcmp(&read, &untouched, sizeof read), 0);
}

TEST_F(IniFileTest, ColourValues)
{
    const COLORREF orange = RGB(255, 128, 0);
    EXPECT_EQ(ini_.Write("S", "c", &orange), 1);
    EXPECT_EQ(Raw("c"), "255,128,0");
    COLORREF colour = 0;
    EXPECT_EQ(ini_.Read("S", "c", &colour), 1);
    EXPECT_EQ(colour, orange);

    const struct {
        const char* text;
        COLORREF before;
        COLORREF expected;
    } cases[] = {
        {"10,20", RGB(1, 2, 30), RGB(10, 20, 30)},
        {"256,0,511", RGB(1, 1, 1), RGB(0, 0, 255)},
        {"x", RGB(1, 2, 3), RGB(1, 2, 3)},
        {"5", 0xFF000000u | RGB(1, 2, 3), RGB(5, 2, 3)},  // the high byte is cleared
    };
    for (const auto& c : cases) {
        Given("c", c.text);
        colour = c.before;
        EXPECT_EQ(ini_.Read("S", "c", &colour), 1) << c.text;
        EXPECT_EQ(colour, c.expected) << c.text;
    }
    colour = 77;
    EXPECT_EQ(ini_.Read("S", "none", &colour), 0);
    EXPECT_EQ(colour, 77u);
}

TEST_F(IniFileTest, RectangleValues)
{
    const RECT rect{-10, 20, 300, 400};
    EXPECT_EQ(ini_.Write("S", "r", &rect), 1);
    EXPECT_EQ(Raw("r"), "-10,20,300,400");
    RECT read{};
    EXPECT_EQ(ini_.Read("S", "r", &read), 1);
    EXPECT_EQ(read.left, -10);
    EXPECT_EQ(read.bottom, 400);
    Given("r", "1,2");
    EXPECT_EQ(ini_.Read("S", "r", &read), 1);
    EXPECT_EQ(read.left, 1);
    EXPECT_EQ(read.top, 2);
    EXPECT_EQ(read.right, 300);
    EXPECT_EQ(read.bottom, 400);
    EXPECT_EQ(ini_.Read("S", "none", &read), 0);
    EXPECT_EQ(read.left, 1);
}

TEST_F(IniFileTest, CreateEmptiesAnExistingSection)
{
    ini_.Write("Worst", "0", std::uint8_t{40});
    ini_.Write("Worst", "1", std::uint8_t{41});
    ini_.Write("Other", "k", "v");
    EXPECT_EQ(ini_.Create("Worst"), 1);
    EXPECT_EQ(ReadBytes(path_), "[Worst]\r\n[Other]\r\nk=v\r\n");
}

TEST(IniFileOpen, ResultAndNeverOpenedObject)
{
    TempDir dir;
    const std::string path = dir.File("x.ini");
    INIFILE ini;
    std::uint8_t u8 = 9;
    char buffer[8] = "keep";
    COLORREF colour = 5;
    EXPECT_EQ(ini.Read("S", "k", std::uint8_t{1}, &u8), 0);
    EXPECT_EQ(ini.Read("S", "k", "d", buffer, sizeof buffer), 0);
    EXPECT_EQ(ini.Read("S", "k", &colour), 0);
    EXPECT_EQ(ini.Write("S", "k", "v"), 0);
    EXPECT_EQ(ini.Write("S", "k", std::int32_t{1}), 0);
    EXPECT_EQ(ini.Create("S"), 0);
    EXPECT_EQ(u8, 9);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(colour, 5u);

    EXPECT_EQ(ini.Open(""), 0);
    EXPECT_EQ(ini.Write("S", "k", "v"), 0);
    EXPECT_EQ(ini.Open(nullptr), 1);
    EXPECT_EQ(ini.Write("S", "k", "v"), 0);
    EXPECT_EQ(ini.Open(path.c_str()), 1);
    EXPECT_STREQ(ini.FileName(), path.c_str());
    EXPECT_EQ(ini.Write("S", "k", "v"), 1);
    ini.Close();
    EXPECT_EQ(ini.Write("S", "k", "w"), 0);
    EXPECT_EQ(ini.Read("S", "k", std::uint8_t{1}, &u8), 0);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nk=v\r\n");
    EXPECT_EQ(ini.FileName(), nullptr);
}

// A write the platform refuses (the folder is missing) is reported, whatever the value's kind.
TEST(IniFileOpen, RefusedWriteReportsFailure)
{
    TempDir dir;
    const std::string nowhere = dir.File("missing/x.ini");
    INIFILE ini;
    ini.Open(nowhere.c_str());
    const RECT rect{1, 2, 3, 4};
    EXPECT_EQ(ini.Write("S", "k", "v"), 0);
    EXPECT_EQ(ini.Write("S", "n", std::uint32_t{120}), 0);
    EXPECT_EQ(ini.Write("S", "r", &rect), 0);
    EXPECT_EQ(ini.Create("S"), 0);
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
