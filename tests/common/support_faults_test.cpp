// Settings and log files in bad shape: a KELVIX-style INI full of garbage values or
// made read-only, and a log file in a missing folder or made read-only. Reads keep
// working with defaults and parsed prefixes, refused writes fail quietly (INIFILE::Write
// still returns 1), and nothing already in a file is lost.
// Runs natively and, in the Windows build, under Wine against the platform's functions.
#include "inifile.h"
#include "logfile.h"
#include "unwritable_files.h"
#include "fixed_clock.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A settings file as a careless hand edit might leave it: every value is wrong in its
// own way, and lines that are no key at all sit between the keys.
const char kGarbageIni[] =
    "; KELVIX settings\r\n"
    "[Common]\r\n"
    "UseLog=12abc\r\n"
    "NoTrayIcon=abc\r\n"
    "this line has no equals sign\r\n"
    "LogFile= x\r\n"
    "[Timer\r\n"
    "[Timer]\r\n"
    "Maximum=\r\n"
    "Minimum=--5\r\n"
    "Current=0xZZ\r\n"
    "]]]\r\n"
    "[Threshold]\r\n"
    "Current=  45 degrees\r\n"
    "Maximum=99999999999\r\n"
    "=no name\r\n"
    "[Information]\r\n"
    "Alpha=0x1ff\r\n"
    "X=\x82\x50\x82\x51\r\n"  // full-width digits
    "Y=-0x10\r\n"
    "ColorGrphLevel0=10,xx,30\r\n"
    "ColorGrphLevel1=,,,\r\n"
    "Font=garbage\r\n"
    "Form=%d%d%d%d%d%d%d%d\r\n"
    "[Worst]\r\n"
    "ST3500=\r\n"
    "HDT725=300\r\n";

// The integer settings of the garbage file and what a read makes of them.
struct IntegerCase {
    const char* section;
    const char* key;
    std::uint32_t def;
    std::uint32_t expected;
};

const IntegerCase kIntegers[] = {
    {"Common", "UseLog", 0, 12},             // leading digits count
    {"Common", "NoTrayIcon", 0, 0},          // no digits at all
    {"Timer", "Maximum", 3600, 3600},        // empty: the default
    {"Timer", "Minimum", 30, 0},             // two signs
    {"Timer", "Current", 60, 0},             // 0x without digits
    {"Threshold", "Current", 40, 45},        // spaces and a unit
    {"Threshold", "Maximum", 60, 1215752191},  // wraps at 32 bits
    {"Information", "X", 0, 0},              // full-width digits are no digits
    {"Information", "Y", 0, 0xFFFFFFF0},     // a sign may stand before 0x
    {"Information", "Worst", 7, 7},          // missing key
    {"Worst", "ST3500", 0, 0},
};

class GarbageIni : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(path_, kGarbageIni);
        ASSERT_EQ(ini_.Open(path_.c_str()), 1);
    }

    // Every value the garbage file yields, read through INIFILE as KELVIX does.
    void ExpectTheGarbageReadings(const char* when)
    {
        for (const auto& c : kIntegers) {
            std::uint32_t value = 0xDEADBEEF;
            EXPECT_EQ(ini_.Read(c.section, c.key, c.def, &value), 1) << when << " " << c.key;
            EXPECT_EQ(value, c.expected) << when << " [" << c.section << "] " << c.key;
        }
        std::uint8_t alpha = 0;
        EXPECT_EQ(ini_.Read("Information", "Alpha", std::uint8_t{255}, &alpha), 1);
        EXPECT_EQ(alpha, 0xFF) << when;  // 0x1ff keeps its low byte
        std::uint8_t worst = 0;
        EXPECT_EQ(ini_.Read("Worst", "HDT725", std::uint8_t{0}, &worst), 1);
        EXPECT_EQ(worst, 44) << when;  // 300 keeps its low byte

        COLORREF colour = RGB(1, 2, 3);
        EXPECT_EQ(ini_.Read("Information", "ColorGrphLevel0", &colour), 1);
        EXPECT_EQ(colour, RGB(10, 2, 3)) << when;  // red parsed, the rest kept
        colour = RGB(1, 2, 3);
        EXPECT_EQ(ini_.Read("Information", "ColorGrphLevel1", &colour), 1);
        EXPECT_EQ(colour, RGB(1, 2, 3)) << when;

        LOGFONTA font{};
        font.lfHeight = -14;
        font.lfWeight = 400;
        std::strcpy(font.lfFaceName, "Arial");
        const LOGFONTA before = font;
        EXPECT_EQ(ini_.Read("Information", "Font", &font), 1);
        EXPECT_EQ(std::memcmp(&font, &before, sizeof font), 0) << when;

        char form[15];
        EXPECT_EQ(ini_.Read("Information", "Form", "%d", form, sizeof form), 1);
        EXPECT_STREQ(form, "%d%d%d%d%d%d%d") << when;
        char logFile[260];
        EXPECT_EQ(ini_.Read("Common", "LogFile", "KELVIX.LOG", logFile, sizeof logFile), 1);
        EXPECT_STREQ(logFile, "x") << when;
    }

    TempDir dir_;
    std::string path_ = dir_.File("KELVIX.INI");
    INIFILE ini_;
};

TEST_F(GarbageIni, ReadsGiveParsedPrefixesAndDefaults)
{
    ExpectTheGarbageReadings("as found");
}

TEST_F(GarbageIni, WritesLoseNothingElse)
{
    EXPECT_EQ(ini_.Write("Worst", "NEWDRIVE", std::uint8_t{41}), 1);
    EXPECT_EQ(ini_.Write("Information", "Divide", std::uint32_t{2}), 1);
    EXPECT_EQ(ini_.Write("Network", "Port", std::uint32_t{10008}), 1);
    ExpectTheGarbageReadings("after writing other keys");

    std::uint8_t worst = 0;
    EXPECT_EQ(ini_.Read("Worst", "NEWDRIVE", std::uint8_t{0}, &worst), 1);
    EXPECT_EQ(worst, 41);
    std::uint32_t port = 0;
    EXPECT_EQ(ini_.Read("Network", "Port", std::uint32_t{0}, &port), 1);
    EXPECT_EQ(port, 10008u);

    // A value written over garbage reads back clean.
    EXPECT_EQ(ini_.Write("Timer", "Current", std::uint32_t{120}), 1);
    std::uint32_t current = 0;
    EXPECT_EQ(ini_.Read("Timer", "Current", std::uint32_t{60}, &current), 1);
    EXPECT_EQ(current, 120u);
}

TEST_F(GarbageIni, ReadOnlyFileReadsAndReportsRefusedWrites)
{
    const ReadOnlyFile readOnly(path_);
    ASSERT_TRUE(readOnly.Refuses()) << "the file could not be made read-only";

    ExpectTheGarbageReadings("read-only");
    const COLORREF orange = RGB(255, 128, 0);
    LOGFONTA font{};
    std::strcpy(font.lfFaceName, "Arial");
    const RECT rect{1, 2, 3, 4};
    EXPECT_EQ(ini_.Write("Timer", "Current", std::uint32_t{120}), 0);
    EXPECT_EQ(ini_.Write("Worst", "NEWDRIVE", std::uint8_t{41}), 0);
    EXPECT_EQ(ini_.Write("Information", "X", std::int32_t{-5}), 0);
    EXPECT_EQ(ini_.Write("Information", "ColorGrphLevel0", &orange), 0);
    EXPECT_EQ(ini_.Write("Information", "Font", &font), 0);
    EXPECT_EQ(ini_.Write("Information", "Rect", &rect), 0);
    EXPECT_EQ(ini_.Write("Common", "LogFile", "D:\\KELVIX.LOG"), 0);
    EXPECT_EQ(ini_.Create("Worst"), 0);

    EXPECT_EQ(ReadBytes(path_), kGarbageIni);
    ExpectTheGarbageReadings("after refused writes");
}

// A well-kept settings file made read-only: the values stay readable and unchanged.
TEST(ReadOnlyIni, KeptSettingsSurviveRefusedWrites)
{
    TempDir dir;
    const std::string path = dir.File("KELVIX.INI");
    const std::string settings =
        "[Common]\r\nUseLog=1\r\n[Timer]\r\nCurrent=120\r\n[Information]\r\nAlpha=0x80\r\n[Worst]\r\nST3500=0x2d\r\n";
    WriteBytes(path, settings);
    const ReadOnlyFile readOnly(path);
    ASSERT_TRUE(readOnly.Refuses()) << "the file could not be made read-only";

    INIFILE ini;
    ini.Open(path.c_str());
    EXPECT_EQ(ini.Write("Timer", "Current", std::uint32_t{30}), 0);
    EXPECT_EQ(ini.Write("Worst", "ST3500", std::uint8_t{50}), 0);
    EXPECT_EQ(ini.Write("Common", "UseLog", std::int32_t{0}), 0);
    std::uint32_t current = 0;
    std::uint8_t worst = 0;
    std::int32_t useLog = 0;
    std::uint8_t alpha = 0;
    EXPECT_EQ(ini.Read("Timer", "Current", std::uint32_t{60}, &current), 1);
    EXPECT_EQ(ini.Read("Worst", "ST3500", std::uint8_t{0}, &worst), 1);
    EXPECT_EQ(ini.Read("Common", "UseLog", std::int32_t{0}, &useLog), 1);
    EXPECT_EQ(ini.Read("Information", "Alpha", std::uint8_t{255}, &alpha), 1);
    EXPECT_EQ(current, 120u);
    EXPECT_EQ(worst, 0x2d);
    EXPECT_EQ(useLog, 1);
    EXPECT_EQ(alpha, 0x80);
    EXPECT_EQ(ReadBytes(path), settings);
}

class LogFault : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = LOGFILE::SetClock(FixedTime);
        LOGFILE log;
        log.FileName(path_.c_str());
        log.FormatType(LF_DATETIME);
        log.Enable(true);
        ASSERT_TRUE(log.Write("ST3500 38"));
        ASSERT_TRUE(log.Write("ST3500 41"));
    }
    void TearDown() override { LOGFILE::SetClock(previous_); }

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir_.Path())) {
            names.push_back(entry.path().string());
        }
        return names;
    }

    TempDir dir_;
    std::string path_ = dir_.File("KELVIX.LOG");
    const std::string earlier_ = "2004/03/05 07:08:09  ST3500 38\r\n2004/03/05 07:08:09  ST3500 41\r\n";

private:
    LOGFILE::Clock previous_ = nullptr;
};

TEST_F(LogFault, MissingFolderCreatesNothingAndLeavesEarlierLines)
{
    const std::vector<std::string> before = Entries();
    const std::string nowhere = dir_.File("missing") + "/deeper/KELVIX.LOG";
    LOGFILE log;
    log.FileName(nowhere.c_str());
    log.FormatType(LF_DATETIME);
    log.Enable(true);
    EXPECT_FALSE(log.Write("ST3500 43"));
    EXPECT_FALSE(log.Write("ST3500 44"));
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(ReadBytes(path_), earlier_);

    // The same object carries on once its path is good again.
    log.FileName(path_.c_str());
    EXPECT_TRUE(log.Write("ST3500 45"));
    EXPECT_EQ(ReadBytes(path_), earlier_ + "2004/03/05 07:08:09  ST3500 45\r\n");
}

TEST_F(LogFault, ReadOnlyLogKeepsItsLines)
{
    const ReadOnlyFile readOnly(path_);
    ASSERT_TRUE(readOnly.Refuses()) << "the file could not be made read-only";
    LOGFILE log;
    log.FileName(path_.c_str());
    log.FormatType(LF_DATETIME);
    log.Enable(true);
    EXPECT_FALSE(log.Write("ST3500 43"));
    EXPECT_EQ(ReadBytes(path_), earlier_);
}

// A disk that is full: the line cannot go out, and the write says so.
TEST_F(LogFault, FullDiskIsReportedNotTakenForSuccess)
{
    std::FILE* probe = std::fopen(FullDevicePath(), "ab");
    ASSERT_NE(probe, nullptr) << FullDevicePath() << " cannot be opened";
    std::fclose(probe);
    LOGFILE log;
    log.FileName(FullDevicePath());
    log.FormatType(LF_DATETIME);
    log.Enable(true);
    EXPECT_FALSE(log.Write("ST3500 43"));
}

}  // namespace
