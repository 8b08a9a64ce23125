#include "pelito_settings.h"
#include "unit_range_text.h"
#include "language.h"

#include "readme_table.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>

namespace {

// The table of PELITO's keys in docs/windows.md: every key, its default and the dialog's range.
TEST(PelitoSettings, ReadmeTableIsTheKeyTable)
{
    const std::vector<std::vector<std::string>> rows = ReadmeTable(KV_DOCS "/windows.md", "## PELITO");
    ASSERT_EQ(rows.size(), PelitoSettingKeys().count);
    const PelitoSettings defaults;
    for (const std::vector<std::string>& row : rows) {
        ASSERT_GE(row.size(), 3u);
        const SettingKey* key = PelitoSettingKeys().Find("", row[0].c_str());
        key = key != nullptr ? key : PelitoSettingKeys().Find("Common", row[0].c_str());
        ASSERT_NE(key, nullptr) << row[0];
        std::string value = SettingValueText(*key, &defaults);
        if (key->kind == SettingKind::Text) {
            value = value.substr(1, value.size() - 2);
        } else {
            EXPECT_EQ(row[2], std::to_string(key->minimum) + "-" + std::to_string(key->maximum)) << row[0];
        }
        EXPECT_EQ(row[1], value) << row[0];
    }
}

TEST(PelitoSettings, FirstRunGivesTheDefaults)
{
    TempDir dir;
    PelitoSettings settings;
    settings.Timer = settings.Port = settings.TimeOut = settings.Temp = 7;
    settings.IconFile[0] = 'Z';
    LoadPelitoSettings("127.0.0.1", settings, dir.File("PELITO.INI").c_str());
    EXPECT_EQ(settings.Timer, 60u);
    EXPECT_EQ(settings.Port, 10008u);
    EXPECT_EQ(settings.TimeOut, 3u);
    EXPECT_EQ(settings.Temp, 45u);
    EXPECT_STREQ(settings.IconFile, "7SEG_G.KVX");
}

// The language is the whole program's: [Common], whatever the host.
TEST(PelitoSettings, SaveWritesTheKeysInOrderToTheHostSection)
{
    TempDir dir;
    const std::string file = dir.File("PELITO.INI");
    const PelitoSettings defaults;
    SavePelitoSettings("127.0.0.1", defaults, file.c_str());
    EXPECT_EQ(ReadBytes(file),
        "[127.0.0.1]\r\nTimer=60\r\nPort=10008\r\nTimeOut=3\r\nTemp=45\r\nIconFile=7SEG_G.KVX\r\n"
        "[Common]\r\nLanguage=auto\r\n");
}

// A write the platform refuses (here: the folder is missing) is reported, not lost silently.
TEST(PelitoSettings, SaveReportsWhetherTheFileWasWritten)
{
    const struct {
        const char* name;
        bool written;
    } cases[] = {{"PELITO.INI", true}, {"missing/PELITO.INI", false}};
    for (const auto& c : cases) {
        TempDir dir;
        EXPECT_EQ(SavePelitoSettings("127.0.0.1", PelitoSettings{}, dir.File(c.name).c_str()), c.written) << c.name;
    }
}

TEST(PelitoSettings, EachHostHasItsOwnSection)
{
    TempDir dir;
    const std::string file = dir.File("PELITO.INI");
    PelitoSettings first;
    first.Port = 10010;
    first.Timer = 120;
    SavePelitoSettings("192.168.0.5", first, file.c_str());
    PelitoSettings second;
    second.Temp = 60;
    std::snprintf(second.IconFile, sizeof second.IconFile, "%s", "C:\\GLYPHS\\BLUE.KVX");
    SavePelitoSettings("nas.local", second, file.c_str());

    PelitoSettings loaded;
    LoadPelitoSettings("192.168.0.5", loaded, file.c_str());
    EXPECT_EQ(loaded.Port, 10010u);
    EXPECT_EQ(loaded.Timer, 120u);
    EXPECT_EQ(loaded.Temp, 45u);
    LoadPelitoSettings("nas.local", loaded, file.c_str());
    EXPECT_EQ(loaded.Port, 10008u);
    EXPECT_EQ(loaded.Timer, 60u);
    EXPECT_EQ(loaded.Temp, 60u);
    EXPECT_STREQ(loaded.IconFile, "C:\\GLYPHS\\BLUE.KVX");
    PelitoSettings unknown;
    unknown.Port = 1;
    LoadPelitoSettings("10.0.0.1", unknown, file.c_str());
    EXPECT_EQ(unknown.Port, 10008u);
}

struct ValueCase {
    const char* text;
    std::uint32_t value;
};

TEST(PelitoSettings, NumbersReadAsDecimalOrHexadecimal)
{
    const ValueCase cases[] = {
        {"90", 90},
        {"0x1F", 31},
        {"0", 0},               // taken as it stands; the timer clamps it
    };
    for (const ValueCase& c : cases) {
        TempDir dir;
        const std::string file = dir.File("PELITO.INI");
        WriteBytes(file, std::string("[h]\r\nTimer=") + c.text + "\r\n");
        PelitoSettings settings;
        LoadPelitoSettings("h", settings, file.c_str());
        EXPECT_EQ(settings.Timer, c.value) << c.text;
    }
}

}  // namespace

// Each unit beside a spin shows the range of the key the spin uses, in both languages.
TEST(PelitoSettings, UnitTextsShowTheKeyTablesRanges)
{
    struct Case {
        PelitoText unit;
        const char* key;
        const char* japanese;
        const char* english;
    } const cases[] = {
        {PelitoText::UnitTimeout, "TimeOut", "秒 (1 ～ 10)", "s (1 - 10)"},
        {PelitoText::UnitTimer, "Timer", "秒 (30 ～ 3600)", "s (30 - 3600)"},
        {PelitoText::UnitTemperature, "Temp", "℃ (10 ～ 70)", "°C (10 - 70)"},
    };
    for (const Case& c : cases) {
        const SettingKey& key = *PelitoSettingKeys().Find("", c.key);
        const std::string range = std::to_string(key.minimum) + " - " + std::to_string(key.maximum);
        SetProgramLanguage(Language::English);
        EXPECT_EQ(UnitRangeText(c.unit, c.key), c.english);
        EXPECT_NE(UnitRangeText(c.unit, c.key).find(range), std::string::npos) << c.key;
        SetProgramLanguage(Language::Japanese);
        EXPECT_EQ(UnitRangeText(c.unit, c.key), c.japanese);
    }
}

// A saved number the dialog's spin cannot show is told with what Apply would save; one
// beyond 16 bits does not wrap into the range.
TEST(PelitoSettings, RangeNoteTellsASavedValueTheSpinCannotShow)
{
    struct Case {
        const char* key;
        std::uint32_t saved;
        const char* note;
    } const cases[] = {
        {"Timer", 60, ""},
        {"Timer", 30, ""},
        {"Timer", 4, "Timer=4 in PELITO.INI is outside 30 - 3600; Apply saves 30"},
        {"Port", 70000, "Port=70000 in PELITO.INI is outside 10000 - 65535; Apply saves 65535"},
        {"Port", 7634, "Port=7634 in PELITO.INI is outside 10000 - 65535; Apply saves 10000"},
        {"TimeOut", 0, "TimeOut=0 in PELITO.INI is outside 1 - 10; Apply saves 1"},
        {"Temp", 71, "Temp=71 in PELITO.INI is outside 10 - 70; Apply saves 70"},
    };
    SetProgramLanguage(Language::English);
    for (const Case& c : cases) {
        PelitoSettings settings;
        const SettingKey& key = *PelitoSettingKeys().Find("", c.key);
        std::memcpy(reinterpret_cast<char*>(&settings) + key.offset, &c.saved, sizeof c.saved);
        EXPECT_EQ(RangeNoteText(settings), c.note) << c.key << "=" << c.saved;
    }
    SetProgramLanguage(Language::Japanese);  // the others' language
}
