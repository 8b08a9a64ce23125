// Settings in KELVIX.INI: defaults as docs/windows.md promises them, the initial colours and
// font, the exact text SaveSettings writes, and kelvixd's keys as docs/linux.md lists them.
#include "readme_table.h"
#include "sensing_test_support.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr char kIni[] = "KELVIX.INI";

// The settings table of docs/windows.md, key by key: each key is in KELVIX's table, and the file
// a fresh save writes holds the default the table names.
struct PromisedDefault {
    std::string section;
    std::string line;
};
std::vector<PromisedDefault> PromisedDefaults()
{
    std::vector<PromisedDefault> promised;
    std::string section;
    for (const std::vector<std::string>& row : ReadmeTable(KV_DOCS "/windows.md", "### Settings file (KELVIX.INI)")) {
        if (row.size() < 3)
            continue;
        section = row[0].empty() ? section : row[0].substr(1, row[0].size() - 2);
        if (section == "Mqtt" || section == "Notify")
            continue;  // key tables of their own, not KELVIX's
        const std::vector<std::string> keys = SplitList(row[1]);
        const std::vector<std::string> defaults = keys.size() == 1 ? std::vector<std::string>{row[2]} : SplitList(row[2]);
        EXPECT_EQ(keys.size(), defaults.size()) << row[1];
        for (std::size_t i = 0; i < keys.size() && i < defaults.size(); ++i) {
            EXPECT_NE(KelvixSettingKeys().Find(section.c_str(), keys[i].c_str()), nullptr)
                << "docs/windows.md names [" << section << "] " << keys[i] << ", which KELVIX does not have";
            promised.push_back({section, keys[i] + "=" + (defaults[i] == "empty" ? "" : defaults[i])});
        }
    }
    return promised;
}

// The lines of one [section] of an INI text, up to the next section.
std::string SectionText(const std::string& ini, const std::string& section)
{
    const std::string header = "[" + section + "]\r\n";
    const std::size_t start = ini.find(header);
    if (start == std::string::npos)
        return {};
    const std::size_t body = start + header.size();
    const std::size_t next = ini.find("\r\n[", body);
    return ini.substr(body, next == std::string::npos ? std::string::npos : next + 2 - body);
}

void ExpectPromisedDefaults(const std::string& ini)
{
    const std::vector<PromisedDefault> promised = PromisedDefaults();
    EXPECT_GE(promised.size(), 30u) << "the settings table of docs/windows.md was not found";
    for (const PromisedDefault& d : promised) {
        const std::string lines = "\r\n" + SectionText(ini, d.section);
        EXPECT_NE(lines.find(std::string("\r\n") + d.line + "\r\n"), std::string::npos)
            << "[" << d.section << "] lacks " << d.line << " in:\n" << ini;
    }
    // What the table leaves out, as the saved file spells it.
    for (const char* line : {"Font=-14,0,0,0,400,0,0,0,0,0,0,0,0,Arial", "ColorGrphLevel0=0,0,255", "ColorGrphLevel4=255,0,0"}) {
        EXPECT_NE(SectionText(ini, "Information").find(line), std::string::npos) << line;
    }
    EXPECT_EQ(ini.rfind("[Common]\r\n", 0), 0u) << "the file starts with [Common]";
}

// A record whose every field differs from the defaults, except the initial appearance.
Settings Scrambled()
{
    Settings s;
    std::memset(static_cast<void*>(&s), 0x5A, sizeof(s));
    s.LogFile[0] = s.CfgFile[0] = s.IconFile[0] = s.Form[0] = s.NA[0] = s.ListenAddress[0] = s.AllowedHosts[0] = '\0';
    SetInitialAppearance(s);
    return s;
}

class SettingsFile : public ::testing::Test {
protected:
    WorkingDirectory directory_;
};

TEST_F(SettingsFile, SaveWritesThePromisedDefaults)
{
    EXPECT_TRUE(SaveSettings(Settings{}));
    ExpectPromisedDefaults(ReadWholeFile(kIni));
}

TEST_F(SettingsFile, SaveThatCannotWriteSaysSo)
{
    ASSERT_TRUE(std::filesystem::create_directory(kIni));  // a folder where the file should be
    EXPECT_FALSE(SaveSettings(Settings{}));
}

TEST_F(SettingsFile, SaveAfterLoadFillsAMissingFile)
{
    Settings s = Scrambled();
    LoadSettings(s);
    SaveSettings(s);
    ExpectPromisedDefaults(ReadWholeFile(kIni));
}

TEST_F(SettingsFile, WithoutFileLoadGivesTheDefaults)
{
    Settings s = Scrambled();
    LoadSettings(s);
    EXPECT_EQ(s.TimerCurrent, 60u);
    EXPECT_EQ(s.NoWake, 1);
    EXPECT_EQ(s.WakeAfter, 0u);
    EXPECT_EQ(s.ThresholdCurrent, 40u);
    EXPECT_EQ(s.Port, 10008u);
    EXPECT_EQ(s.HddtempPort, 0u) << "the export services are off until turned on";
    EXPECT_EQ(s.MetricsPort, 0u);
    EXPECT_STREQ(s.ListenAddress, "");
    EXPECT_EQ(s.Alpha, 255);
    EXPECT_STREQ(s.Form, "%d");
    EXPECT_STREQ(s.NA, "N/A");
    EXPECT_STREQ(s.LogFile, "KELVIX.LOG");
    EXPECT_STREQ(s.CfgFile, "HDDATA.CFG");
    EXPECT_STREQ(s.IconFile, "7SEG_G.KVX");
    EXPECT_EQ(s.AnimateType, 16u);
    EXPECT_EQ(s.WorstTimer, 10000u);
    EXPECT_EQ(s.ScaleGrphLevel[0], -6);
    EXPECT_EQ(s.ScaleGrphLevel[3], 6);
    EXPECT_EQ(s.NvmeCurrent, 0u) << "NVMe drives warn by their own warning temperature";
    EXPECT_EQ(s.Reminder, 30u);
}

TEST_F(SettingsFile, EmptyColourAndFontKeepTheirInitialValues)
{
    WriteWholeFile(kIni, "[Information]\r\nColorNameBack=\r\nFont=\r\nColorGrphLevel2=10,20\r\n"
                         "ColorTempBack=1,2,3\r\n");
    Settings s;
    SetInitialAppearance(s);
    LoadSettings(s);
    EXPECT_EQ(s.ColorNameBack, RGB(0, 0, 0));
    EXPECT_EQ(s.Font.lfHeight, -14);
    EXPECT_EQ(s.Font.lfWeight, 400);
    EXPECT_STREQ(s.Font.lfFaceName, "Arial");
    EXPECT_EQ(s.ColorGrphLevel[2], RGB(10, 20, 0)) << "missing blue keeps the initial 0";
    EXPECT_EQ(s.ColorTempBack, RGB(1, 2, 3));
}

TEST_F(SettingsFile, ValuesAreUsedUnchecked)
{
    WriteWholeFile(kIni, "[Timer]\r\nCurrent=5\r\n[Information]\r\nForm=%d degrees Celsius!\r\nNA=--\r\n"
                         "Alpha=0x80\r\nAnimateType=0xffffffff\r\nY=-40\r\n");
    Settings s;
    LoadSettings(s);
    EXPECT_EQ(s.TimerCurrent, 5u) << "below TimerMinimum, still used";
    EXPECT_STREQ(s.Form, "%d degrees Cel") << "cut to 14 characters";
    EXPECT_STREQ(s.NA, "--");
    EXPECT_EQ(s.Alpha, 0x80);
    EXPECT_EQ(s.AnimateType, 0xFFFFFFFFu);
    EXPECT_EQ(s.Y, -40);
}

TEST_F(SettingsFile, ChangedValuesRoundTripAndWorstStays)
{
    WriteWholeFile(kIni, "[Worst]\r\nKVX:1:2=0x2d\r\n");
    Settings s;
    s.UseLog = 1;
    s.TimerCurrent = 120;
    s.X = -100;
    s.ColorGrphLevel[4] = RGB(1, 2, 3);
    s.Alpha = 10;
    s.NvmeCurrent = 78;  // above ThresholdMaximum: not bound by it
    s.Reminder = 0;
    s.Font.lfHeight = -16;
    s.Font.lfWeight = 700;
    s.Font.lfCharSet = 128;
    std::strcpy(s.Font.lfFaceName, "MS Gothic");
    std::strcpy(s.LogFile, "C:\\logs\\kelvix.log");
    SaveSettings(s);

    const std::string ini = ReadWholeFile(kIni);
    // What comes back is what went in: saved again, it gives the same text.
    Settings loaded = Scrambled();
    LoadSettings(loaded);
    EXPECT_STREQ(loaded.LogFile, "C:\\logs\\kelvix.log");
    EXPECT_STREQ(loaded.Font.lfFaceName, "MS Gothic");
    EXPECT_EQ(loaded.NvmeCurrent, 78u);
    EXPECT_EQ(loaded.Reminder, 0u);
    SaveSettings(loaded);
    EXPECT_EQ(ReadWholeFile(kIni), ini);
    EXPECT_EQ(ini.rfind("[Worst]\r\nKVX:1:2=0x2d\r\n", 0), 0u) << ini;
    EXPECT_NE(ini.find("Font=-16,0,0,0,700,0,0,0,128,0,0,0,0,MS Gothic\r\n"), std::string::npos);
    EXPECT_NE(ini.find("Alpha=0x0a\r\n"), std::string::npos);
}

// Junk in the network keys never reads as "no limit" (the integer reading of junk is 0)
// nor as a list cut to name other hosts; what the user wrote sensibly is kept.
TEST_F(SettingsFile, NetworkAccessKeysFallBackToTheDefaultsOnJunk)
{
    const std::string defaultList = "127.0.0.0/8, 10.0.0.0/8, 172.16.0.0/12, 192.168.0.0/16, 169.254.0.0/16";
    const std::string longest = "10.0.0.1" + std::string(kAllowedHostsSize - 1 - 8, ' ');
    struct Case {
        std::string lines;
        std::string hosts;
        std::uint32_t rate;
    };
    const Case cases[] = {
        {"", defaultList, 5},
        {"ReportsPerSecond=0\r\n", defaultList, 0},
        {"ReportsPerSecond=12\r\n", defaultList, 12},
        {"ReportsPerSecond=1000\r\n", defaultList, 1000},
        {"ReportsPerSecond=1001\r\n", defaultList, 5},
        {"ReportsPerSecond=abc\r\n", defaultList, 5},
        {"ReportsPerSecond=\r\n", defaultList, 5},
        {"ReportsPerSecond=-1\r\n", defaultList, 5},
        {"ReportsPerSecond=0x10\r\n", defaultList, 5},
        {"ReportsPerSecond=5 5\r\n", defaultList, 5},
        {"ReportsPerSecond=99999999999999999999\r\n", defaultList, 5},
        {"AllowedHosts=203.0.113.7\r\n", "203.0.113.7", 5},
        {"AllowedHosts=\r\n", "", 5},  // an empty list stays empty: nobody
        {"AllowedHosts=" + longest + "\r\n", "10.0.0.1", 5},  // the profile reading trims blanks
        {"AllowedHosts=" + std::string(kAllowedHostsSize, '1') + "\r\n", defaultList, 5},
        {"AllowedHosts=" + std::string(3000, '1') + "\r\n", defaultList, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.substr(0, 40));
        WriteWholeFile(kIni, "[Network]\r\n" + c.lines);
        Settings s = Scrambled();
        LoadSettings(s);
        EXPECT_EQ(std::string(s.AllowedHosts), c.hosts);
        EXPECT_EQ(s.ReportsPerSecond, c.rate);
    }
}

// kelvixd's table in docs/linux.md names only keys that KELVIX's table gives kelvixd.
TEST(SettingsReadme, DaemonKeysAreThoseTheTableGivesKelvixd)
{
    const std::vector<std::vector<std::string>> rows = ReadmeTable(KV_DOCS "/linux.md", "### Configure");
    ASSERT_GE(rows.size(), 10u) << "kelvixd's table was not found";
    std::string section;
    for (const std::vector<std::string>& row : rows) {
        const std::size_t close = row[0].find("] ");
        ASSERT_NE(close, std::string::npos) << row[0];
        section = row[0].substr(1, close - 1);
        const bool kelvixSection = std::any_of(KelvixSettingKeys().begin(), KelvixSettingKeys().end(),
            [&](const SettingKey& entry) { return section == entry.section; });
        if (!kelvixSection)
            continue;  // [Daemon], and sections with key tables of their own ([Mqtt], [Notify])
        for (const std::string& key : SplitList(row[0].substr(close + 2))) {
            const SettingKey* entry = KelvixSettingKeys().Find(section.c_str(), key.c_str());
            ASSERT_NE(entry, nullptr) << section << " " << key;
            EXPECT_NE(entry->uses & kSettingInDaemon, 0) << "[" << section << "] " << key << " is not read by kelvixd";
        }
    }
}

TEST(SettingsRecord, InitialAppearance)
{
    Settings s;
    std::memset(static_cast<void*>(&s), 0, sizeof(s));
    SetInitialAppearance(s);
    EXPECT_EQ(s.ColorNameFront, RGB(255, 255, 255));
    EXPECT_EQ(s.ColorTempMaximum, RGB(255, 0, 0));
    EXPECT_EQ(s.ColorGrphLevel[0], RGB(0, 0, 255));
    EXPECT_EQ(s.ColorGrphLevel[1], RGB(0, 255, 255));
    EXPECT_EQ(s.ColorGrphLevel[2], RGB(0, 255, 0));
    EXPECT_EQ(s.ColorGrphLevel[3], RGB(255, 255, 0));
    EXPECT_EQ(s.ColorGrphLevel[4], RGB(255, 0, 0));
    EXPECT_EQ(s.Font.lfHeight, -14);
    EXPECT_EQ(s.Font.lfWeight, 400);
    EXPECT_STREQ(s.Font.lfFaceName, "Arial");
    EXPECT_EQ(s.TimerCurrent, 0u) << "only colours and the font";
}

}  // namespace
