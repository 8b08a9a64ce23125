// Drive sensing when things go wrong, through the real start-up and cycle functions on
// the simulated bus: drives failing at every step or in the middle of a run, KELVIX.INI
// full of garbage or read-only, log paths that cannot be written, and a drive database
// far larger than the shipped one.
#include "drive_database.h"
#include "drive_enumeration.h"
#include "file_trouble.h"
#include "fixed_clock.h"
#include "logfile.h"
#include "measurement.h"
#include "unwritable_files.h"
#include "sensing_test_support.h"
#include "settings.h"
#include "worst_temperatures.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kIni[] = "KELVIX.INI";
constexpr char kLog[] = "KELVIX.LOG";
constexpr char kStamp[] = "2004/03/05 07:08:09  ";

// The log line of one cycle: the given leading values, then 00 up to the probe count.
std::string LogLine(const std::vector<unsigned>& values, unsigned probeCount = kMaxDrives)
{
    std::string line = kStamp;
    for (unsigned i = 0; i < probeCount; ++i) {
        char field[8];
        std::snprintf(field, sizeof field, "%02u ", i < values.size() ? values[i] : 0u);
        line += field;
    }
    return line + "\r\n";
}

std::set<std::string> DirectoryEntries()
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(".")) {
        names.insert(entry.path().lexically_relative(".").string());
    }
    return names;
}

class DriveFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousClock_ = LOGFILE::SetClock(FixedTime);
        WriteWholeFile("HDDATA.CFG", "KVX = 194\n");
        ASSERT_EQ(LoadDriveDatabase("HDDATA.CFG"), 1);
        std::snprintf(settings_.LogFile, sizeof settings_.LogFile, "%s", kLog);
    }
    void TearDown() override
    {
        TheDriveDatabase().Clear();
        LOGFILE::SetClock(previousClock_);
    }

    std::unique_ptr<SimulatedMachine> Start(const std::string& driveSet)
    {
        auto machine = std::make_unique<SimulatedMachine>(driveSet);
        EnumerateForLaterTicks(machine->drives);
        return machine;
    }

    WorkingDirectory directory_;
    Settings settings_;

private:
    LOGFILE::Clock previousClock_ = nullptr;
};

// A drive that stops answering from its third attribute read (the second cycle) on,
// beside one that keeps answering: the log goes on listing its last value.
TEST_F(DriveFaults, DriveFailingFromACycleOnKeepsItsLastValueInTheLog)
{
    auto machine = Start("drive 0\nmodel KVX 1\nserial A0\ntemperature 194 40 41 50\nfail attributes from 3\n"
                         "drive 1\nmodel KVX 2\nserial B1\ntemperature 194 30 31 32 33 34\n");
    settings_.UseLog = 1;
    struct Cycle {
        std::uint32_t measured;
        unsigned other;  // drive 1's reading
    } const cycles[] = {{2, 31}, {1, 32}, {1, 33}, {1, 34}};
    std::string log;
    for (const Cycle& cycle : cycles) {
        SCOPED_TRACE("drive 1 reads " + std::to_string(cycle.other));
        EXPECT_EQ(MeasureAll(machine->drives, settings_), cycle.measured);
        const DriveRecord& failing = machine->drives.table[0];
        EXPECT_EQ(failing.present, 1u);
        EXPECT_EQ(failing.currentTemperature, 41);
        EXPECT_EQ(failing.worstTemperature, 41);
        EXPECT_EQ(machine->drives.table[1].worstTemperature, cycle.other) << "the other drive goes on rising";

        log += LogLine({41, cycle.other});
        EXPECT_EQ(ReadWholeFile(kLog), log);
        char other[32];
        std::snprintf(other, sizeof other, "KVX 2:1.00:B1=0x%02x\r\n", cycle.other);
        const std::string ini = ReadWholeFile(kIni);
        EXPECT_NE(ini.find("KVX 1:1.00:A0=0x29\r\n"), std::string::npos) << ini;
        EXPECT_NE(ini.find(other), std::string::npos) << ini;
    }
}

// One machine where every start-up step fails for some drive: each of those is left
// out, and the drives around them are present, measured, logged and remembered.
struct MixedSet {
    const char* name;
    const char* driveSet;
    std::vector<std::uint32_t> present;
    std::vector<unsigned> logged;  // the cycle's log values from drive 0 on
};

TEST_F(DriveFaults, EveryStepFailingForSomeDriveLeavesTheRestPresent)
{
    const MixedSet sets[] = {
        {"NT family",
         "drive 0\nmodel KVX 0\nfail open\n"
         "drive 1\nmodel KVX 1\nfail version\n"
         "drive 2\nmodel KVX 2\nfail identify\n"
         "drive 3\nmodel KVX 3\nfail attributes\n"
         "drive 4\nmodel KVX 4\nfail thresholds\n"
         "drive 5\nmodel KVX 5\ntemperature 194 35\n"
         "drive 6\nmodel KVX 6\ntemperature 194 36\nfail enable\n"
         "drive 7\nmodel KVX 7\natapi\n"
         "drive 9\nmodel KVX 9\ntemperature 194 39\n"
         "drive 15\nmodel KVX 15\nfail identify\n",
         {5, 6, 9},
         {0, 0, 0, 0, 0, 35, 36, 0, 0, 39}},
        {"9x family",
         "platform 1\n"
         "drive 0\nmodel KVX 0\nfail identify\n"
         "drive 1\nmodel KVX 1\ntemperature 194 41\n"
         "drive 2\nmodel KVX 2\nfail open\n"
         "drive 3\nmodel KVX 3\nfail thresholds\n",
         {1},
         {0, 41}},
    };
    for (const MixedSet& set : sets) {
        SCOPED_TRACE(set.name);
        std::remove(kIni);
        std::remove(kLog);
        auto machine = Start(set.driveSet);
        const DriveState& drives = machine->drives;
        ASSERT_EQ(drives.presentCount, set.present.size());
        std::vector<std::uint32_t> present;
        for (std::uint32_t i = 0; i < kMaxDrives; ++i) {
            if (drives.table[i].present != 0) {
                present.push_back(i);
                EXPECT_EQ(drives.table[i].temperatureAttributeId, 194) << "drive " << i;
            } else {
                EXPECT_STREQ(drives.table[i].model, "") << "drive " << i;
            }
        }
        EXPECT_EQ(present, set.present);
        EXPECT_TRUE(std::equal(set.present.begin(), set.present.end(), drives.presentList));

        settings_.UseLog = 1;
        EXPECT_EQ(MeasureAll(machine->drives, settings_), set.present.size());
        EXPECT_EQ(ReadWholeFile(kLog), LogLine(set.logged, drives.probeCount));
        // Worst entries exist for the present drives only.
        const std::string ini = ReadWholeFile(kIni);
        for (std::uint32_t i = 0; i < kMaxDrives; ++i) {
            const std::string key = "KVX " + std::to_string(i) + ":";
            const bool listed = ini.find(key) != std::string::npos;
            EXPECT_EQ(listed, drives.table[i].present != 0) << key << " in\n" << ini;
        }
    }
}

// Every key of KELVIX.INI spoiled in its own way, stray lines in between, and worst
// values beside them: three present drives and one that is no longer installed.
std::string GarbageIni()
{
    return "\xFF\xFE garbage before any section\r\n"
           "[Common]\r\n"
           "UseLog=on\r\n"
           "NoTrayIcon=1x\r\n"
           "LogFile=" +
           std::string(300, 'L') +
           "\r\n"
           "CfgFile=\r\n"
           "no equals sign here\r\n"
           "[Timer]\r\n"
           "Maximum=abc\r\n"
           "Minimum=0x\r\n"
           "Current=-30\r\n"
           "[Threshold]\r\n"
           "Current=45C\r\n"
           "UseBalloon=\x82\x50\r\n"
           "[Network]\r\n"
           "UseNetwork=yes\r\n"
           "Port=99999\r\n"
           "[Information]\r\n"
           "Alpha=-1\r\n"
           "Divide=1e3\r\n"
           "ScaleGrphLevel2=++3\r\n"
           "ColorNameBack=red\r\n"
           "ColorGrphLevel4=300,-1\r\n"
           "Font=,,,,,,,,,,,,," +
           std::string(100, 'F') +
           "\r\n"
           "Form=" +
           std::string(100, '%') +
           "\r\n"
           "NA=\r\n"
           "[Worst]\r\n"
           "KVX 1:1.00:A0=0x32\r\n"
           "KVX 2:1.00:B1=hot\r\n"
           "KVX 3:1.00:C2=0x2d garbage\r\n"
           "GONE:1.0:X=0x3c\r\n";
}

constexpr char kGarbageDrives[] = "drive 0\nmodel KVX 1\nserial A0\ntemperature 194 45 45 46\n"
                                  "drive 1\nmodel KVX 2\nserial B1\ntemperature 194 40 40 41\n"
                                  "drive 2\nmodel KVX 3\nserial C2\ntemperature 194 44 44 44\n";

TEST_F(DriveFaults, GarbageSettingsGiveParsedValuesOrDefaults)
{
    WriteWholeFile(kIni, GarbageIni());
    Settings s;
    SetInitialAppearance(s);
    LoadSettings(s);
    const Settings d;
    struct Number {
        const char* key;
        std::uint32_t got, expected;
    } const numbers[] = {
        {"UseLog", static_cast<std::uint32_t>(s.UseLog), 0},
        {"NoTrayIcon", static_cast<std::uint32_t>(s.NoTrayIcon), 1},
        {"Timer Maximum", s.TimerMaximum, 0},
        {"Timer Minimum", s.TimerMinimum, 0},
        {"Timer Current", s.TimerCurrent, 0xFFFFFFE2},
        {"Threshold Current", s.ThresholdCurrent, 45},
        {"Threshold Maximum (missing)", s.ThresholdMaximum, d.ThresholdMaximum},
        {"UseBalloon", static_cast<std::uint32_t>(s.UseBalloon), 0},
        {"UseNetwork", static_cast<std::uint32_t>(s.UseNetwork), 0},
        {"Port", s.Port, 99999},
        {"Alpha", s.Alpha, 255},
        {"Divide", s.Divide, 1},
        {"ScaleGrphLevel2", static_cast<std::uint32_t>(s.ScaleGrphLevel[2]), 0},
        {"ScaleGrphLevel3 (missing)", static_cast<std::uint32_t>(s.ScaleGrphLevel[3]), 6},
        {"ColorNameBack", s.ColorNameBack, d.ColorNameBack},
        {"ColorGrphLevel4", s.ColorGrphLevel[4], RGB(300 & 0xFF, 0xFF, 0)},
        {"Font height", static_cast<std::uint32_t>(s.Font.lfHeight), 0xFFFFFFF2},
    };
    for (const Number& n : numbers) {
        EXPECT_EQ(n.got, n.expected) << n.key;
    }
    EXPECT_EQ(std::string(s.LogFile), std::string(kPathSize - 1, 'L')) << "cut to the buffer";
    EXPECT_STREQ(s.CfgFile, "") << "an empty value is a value";
    EXPECT_STREQ(s.IconFile, d.IconFile);
    EXPECT_EQ(std::string(s.Font.lfFaceName), std::string(LF_FACESIZE - 1, 'F'));
    EXPECT_EQ(std::string(s.Form), std::string(14, '%'));
    EXPECT_STREQ(s.NA, "");
}

TEST_F(DriveFaults, GarbageSettingsLoseNoWorstValue)
{
    const std::string before = GarbageIni();
    WriteWholeFile(kIni, before);
    LoadSettings(settings_);
    settings_.UseLog = 0;
    auto machine = Start(kGarbageDrives);
    EXPECT_EQ(machine->drives.table[0].worstTemperature, 50);
    EXPECT_EQ(machine->drives.table[1].worstTemperature, 0) << "garbage reads as 0";
    EXPECT_EQ(machine->drives.table[2].worstTemperature, 45) << "the leading number counts";
    for (int cycle = 0; cycle < 2; ++cycle) {
        EXPECT_EQ(MeasureAll(machine->drives, settings_), 3u);
    }
    EXPECT_EQ(machine->drives.table[0].worstTemperature, 50) << "46 does not lower 50";
    EXPECT_EQ(machine->drives.table[1].worstTemperature, 41);
    EXPECT_EQ(machine->drives.table[2].worstTemperature, 45);

    // Only the garbage worst value was replaced, by the highest reading; every other
    // byte of the file is as it was.
    std::string expected = before;
    const std::string old = "KVX 2:1.00:B1=hot\r\n";
    expected.replace(expected.find(old), old.size(), "KVX 2:1.00:B1=0x29\r\n");
    EXPECT_EQ(ReadWholeFile(kIni), expected);
}

std::vector<std::pair<std::string, int>> g_told;

void RecordTrouble(const char* path, int error)
{
    g_told.emplace_back(path, error);
}

TEST_F(DriveFaults, ReadOnlySettingsAreToldOnceAndTheWorstValuesWrittenWhenTheyMayBe)
{
    const std::string stored = "[Common]\r\nUseLog=1\r\nLogFile=KELVIX.LOG\r\n[Timer]\r\nCurrent=120\r\n"
                               "[Worst]\r\nKVX 1:1.00:A0=0x2e\r\nKVX 2:1.00:B1=0x20\r\n";
    WriteWholeFile(kIni, stored);
    g_told.clear();
    SetFileTroubleTeller(RecordTrouble);
    Settings s;
    std::unique_ptr<SimulatedMachine> machine;
    {
        const ReadOnlyFile readOnly(kIni);
        ASSERT_TRUE(readOnly.Refuses()) << "the settings file could not be made read-only";
        LoadSettings(s);
        EXPECT_EQ(s.UseLog, 1);
        EXPECT_EQ(s.TimerCurrent, 120u);

        machine = Start(kGarbageDrives);
        EXPECT_EQ(machine->drives.table[0].worstTemperature, 46);
        EXPECT_EQ(machine->drives.table[1].worstTemperature, 32);
        EXPECT_EQ(machine->drives.table[2].worstTemperature, 0);
        for (int cycle = 0; cycle < 2; ++cycle) {
            EXPECT_EQ(MeasureAll(machine->drives, s), 3u) << "the cycle goes on";
        }
        // Raised in memory, where the monitor shows them; the file refused them, said once.
        EXPECT_EQ(machine->drives.table[0].worstTemperature, 46);
        EXPECT_EQ(machine->drives.table[1].worstTemperature, 41);
        EXPECT_EQ(machine->drives.table[2].worstTemperature, 44);
        ASSERT_EQ(g_told.size(), 1u);
        EXPECT_EQ(g_told[0].first, kIni);
        EXPECT_NE(g_told[0].second, 0);
        EXPECT_EQ(UnsavedWorstCount(), 2u);
        SaveSettings(s);
        EXPECT_EQ(ReadWholeFile(kIni), stored);
        EXPECT_EQ(ReadWholeFile(kLog), LogLine({45, 40, 44}) + LogLine({46, 41, 44}));
    }
    // Writable again: the next cycle (no new worst value) writes what was kept, and says so.
    EXPECT_EQ(MeasureAll(machine->drives, s), 3u);
    EXPECT_EQ(UnsavedWorstCount(), 0u);
    const std::string ini = ReadWholeFile(kIni);
    EXPECT_NE(ini.find("KVX 2:1.00:B1=0x29\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("KVX 3:1.00:C2=0x2c\r\n"), std::string::npos) << ini;
    ASSERT_EQ(g_told.size(), 2u);
    EXPECT_EQ(g_told[1], std::make_pair(std::string(kIni), 0));
    SetFileTroubleTeller(nullptr);
}

// The log path changes between cycles: good, a missing folder, empty, good again. An
// empty name sends the line to the standard output (which a windowed program lacks):
// it shows up in this test's output and creates no file.
TEST_F(DriveFaults, UnwritableLogPathLosesOnlyItsOwnLines)
{
    auto machine = Start("drive 0\nmodel KVX 1\nserial A0\ntemperature 194 30 31 32 33 34\n");
    settings_.UseLog = 1;
    struct Cycle {
        const char* logFile;
        unsigned reading;
    } const cycles[] = {{kLog, 31}, {"missing/deeper/KELVIX.LOG", 32}, {"", 33}, {kLog, 34}};
    for (const Cycle& cycle : cycles) {
        SCOPED_TRACE(std::string("log file \"") + cycle.logFile + "\"");
        std::snprintf(settings_.LogFile, sizeof settings_.LogFile, "%s", cycle.logFile);
        EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u);
        char worst[32];
        std::snprintf(worst, sizeof worst, "KVX 1:1.00:A0=0x%02x\r\n", cycle.reading);
        EXPECT_NE(ReadWholeFile(kIni).find(worst), std::string::npos) << "the worst value is still saved";
    }
    EXPECT_EQ(ReadWholeFile(kLog), LogLine({31}) + LogLine({34}));
    EXPECT_EQ(DirectoryEntries(), (std::set<std::string>{"HDDATA.CFG", kIni, kLog}));
}

// A drive database of 10,000 lines: every entry kept, in order, and the first match
// still wins wherever it stands.
TEST_F(DriveFaults, TenThousandLineDatabase)
{
    std::string file = "SEEN FIRST = 231\n";
    unsigned entries = 1;
    for (unsigned i = 1; i < 10000; ++i) {
        char line[64];
        if (i % 100 == 0) {
            std::snprintf(line, sizeof line, "# block %u\n", i / 100);
        } else if (i % 100 == 50) {
            std::snprintf(line, sizeof line, "\n");
        } else {
            // Fixed width: no key is a prefix of another, so none replaces another.
            std::snprintf(line, sizeof line, "GEN%05u MODEL = %u\n", i, 190 + i % 50);
            ++entries;
        }
        file += line;
    }
    file += "KVX LAST = 194\nSEEN = 9";  // last line without line feed
    entries += 2;
    WriteWholeFile("big.cfg", file);
    ASSERT_EQ(LoadDriveDatabase("big.cfg"), 1);
    EXPECT_EQ(TheDriveDatabase().UsedEntries(), entries);

    struct Probe {
        const char* model;
        std::uint8_t id;
    } const probes[] = {
        {"SEEN FIRST 80GB", 231},  {"seen first", 231},   {"SEEN SECOND", 9},   {"GEN00001 MODEL X", 191},
        {"GEN05001 MODEL", 191},   {"gen09999 model", 239}, {"GEN10000 MODEL", 0}, {"GEN00100 MODEL", 0},
        {"KVX LAST ONE", 194},      {"KVX", 0},             {"", 0},
    };
    for (const Probe& probe : probes) {
        DriveRecord record;
        std::snprintf(record.model, sizeof record.model, "%s", probe.model);
        LookupTemperatureAttribute(0, record);
        EXPECT_EQ(record.temperatureAttributeId, probe.id) << probe.model;
    }

    // Enumeration uses the big database as it does the small one.
    auto machine = Start("drive 0\nmodel KVX LAST 1\ntemperature 194 42\ndrive 1\nmodel GEN04242 MODEL\n");
    EXPECT_EQ(machine->drives.table[0].temperatureAttributeId, 194);
    EXPECT_EQ(machine->drives.table[1].temperatureAttributeId, 190 + 4242 % 50);
    EXPECT_EQ(MeasureAll(machine->drives, settings_), 1u);
    EXPECT_EQ(machine->drives.table[0].currentTemperature, 42);
}

}  // namespace
