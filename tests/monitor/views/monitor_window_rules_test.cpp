// The monitor window's portable rules: cells, bar colours, reduced sizes, the user's
// temperature format.
#include "drive_table.h"
#include "monitor_bars.h"
#include "monitor_cells.h"
#include "monitor_size.h"
#include "temperature_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

namespace {

struct Slot {
    unsigned number;
    std::uint8_t current;
    std::uint8_t worst;
};

// A drive table as enumeration leaves it: present list in drive order, unused entries
// up to the probe count marked.
std::unique_ptr<DriveState> MakeDrives(unsigned probeCount, std::initializer_list<Slot> slots)
{
    auto drives = std::make_unique<DriveState>();
    drives->probeCount = probeCount;
    for (unsigned i = 0; i < probeCount && i < kMaxDrives; ++i) {
        drives->presentList[i] = kNoDrive;
    }
    for (const Slot& slot : slots) {
        DriveRecord& record = drives->table[slot.number];
        record.present = 1;
        record.currentTemperature = slot.current;
        record.worstTemperature = slot.worst;
        std::snprintf(record.model, sizeof record.model, "DRIVE %u", slot.number);
        drives->presentList[drives->presentCount++] = slot.number;
    }
    return drives;
}

void ExpectCleared(const MonitorCell& cell, const char* na)
{
    EXPECT_STREQ(cell.name, "");
    EXPECT_STREQ(cell.temperatureText, na);
    EXPECT_EQ(cell.currentBar, 0);
    EXPECT_EQ(cell.worstBar, 0);
}

TEST(MonitorCells, OnlyTheSecondDriveDeliveredShowsItInCellZero)
{
    const auto drives = MakeDrives(16, {{0, 0, 45}, {1, 38, 41}});
    const Settings settings;
    const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, false);
    EXPECT_EQ(plan.writtenCells, 16u);
    ASSERT_EQ(plan.filledCells, 1u);
    EXPECT_STREQ(plan.cells[0].name, "DRIVE 1");
    EXPECT_STREQ(plan.cells[0].temperatureText, "38");
    EXPECT_EQ(plan.cells[0].currentBar, 38);
    EXPECT_EQ(plan.cells[0].worstBar, 41);
    for (unsigned cell = 1; cell < 16; ++cell) {
        SCOPED_TRACE(cell);
        ExpectCleared(plan.cells[cell], "N/A");
    }
}

// A drive in caution or bad carries its health word before its name; good and unknown
// drives show their name as before.
TEST(MonitorCells, HealthMarksCautionAndBadDrives)
{
    auto drives = MakeDrives(16, {{0, 40, 44}, {1, 36, 39}, {2, 35, 35}, {3, 33, 33}});
    drives->table[3].sleeping = 1;
    const Settings settings;
    const std::uint8_t health[kMaxDrives] = {1, 2, 3, 2};
    const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, false, health);
    ASSERT_EQ(plan.filledCells, 4u);
    EXPECT_STREQ(plan.cells[0].name, "DRIVE 0");
    EXPECT_STREQ(plan.cells[1].name, "[注意] DRIVE 1");
    EXPECT_STREQ(plan.cells[2].name, "[危険] DRIVE 2");
    EXPECT_STREQ(plan.cells[3].name, "[注意] (スリープ中) DRIVE 3") << "a sleeping drive keeps its last verdict";
}

TEST(MonitorCells, SleepingDriveKeepsItsValuesBehindTheMark)
{
    auto drives = MakeDrives(16, {{0, 40, 44}, {2, 36, 39}});
    drives->table[2].sleeping = 1;
    const Settings settings;
    for (const bool worstMode : {false, true}) {
        const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, worstMode);
        ASSERT_EQ(plan.filledCells, 2u);
        EXPECT_STREQ(plan.cells[0].name, "DRIVE 0");
        EXPECT_STREQ(plan.cells[1].name, "(" "\x83\x58\x83\x8A\x81\x5B\x83\x76\x92\x86" ") DRIVE 2");
        EXPECT_STREQ(plan.cells[1].temperatureText, worstMode ? "39" : "36");
        EXPECT_EQ(plan.cells[1].currentBar, 36);
        EXPECT_EQ(plan.cells[1].worstBar, 39);
    }
}

TEST(MonitorCells, WorstModeShowsTheWorstTemperatureAndKeepsBothBars)
{
    const auto drives = MakeDrives(16, {{2, 36, 49}, {5, 40, 40}});
    Settings settings;
    std::strcpy(settings.Form, "%d℃");
    const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, true);
    ASSERT_EQ(plan.filledCells, 2u);
    EXPECT_STREQ(plan.cells[0].name, "DRIVE 2");
    EXPECT_STREQ(plan.cells[0].temperatureText, "49℃");
    EXPECT_EQ(plan.cells[0].currentBar, 36);
    EXPECT_EQ(plan.cells[0].worstBar, 49);
    EXPECT_STREQ(plan.cells[1].name, "DRIVE 5");
}

TEST(MonitorCells, ProbeCountFourWritesOnlyFourCells)
{
    const auto drives = MakeDrives(4, {{0, 30, 30}, {2, 31, 33}});
    Settings settings;
    std::strcpy(settings.NA, "--");
    const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, false);
    EXPECT_EQ(plan.writtenCells, 4u);
    EXPECT_EQ(plan.filledCells, 2u);
    EXPECT_STREQ(plan.cells[1].name, "DRIVE 2");
    ExpectCleared(plan.cells[2], "--");
    ExpectCleared(plan.cells[3], "--");
    for (unsigned cell = 4; cell < 16; ++cell) {
        SCOPED_TRACE(cell);
        ExpectCleared(plan.cells[cell], "");  // never written
    }
}

TEST(MonitorCells, BrokenTablesStayInsideTheCells)
{
    // A probe count beyond the table and a present list pointing past it.
    auto drives = MakeDrives(16, {{3, 44, 44}});
    drives->probeCount = 40;
    drives->presentCount = 40;
    drives->presentList[1] = 99;
    Settings settings;
    std::memset(settings.NA, 'x', sizeof settings.NA);  // no terminating zero
    const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, false);
    EXPECT_EQ(plan.writtenCells, 16u);
    EXPECT_EQ(plan.filledCells, 1u);
    EXPECT_EQ(std::strlen(plan.cells[1].temperatureText), kTemperatureTextMax);
    drives->probeCount = 0;
    EXPECT_EQ(PlanMonitorCells(*drives, settings, false).writtenCells, 0u);
}

TEST(BarLevel, DefaultsAroundForty)
{
    const Settings settings;  // threshold 40, offsets -6 -3 3 6
    const struct {
        std::uint8_t value;
        unsigned level;
    } cases[] = {
        {0, 0}, {34, 0}, {35, 1}, {37, 1}, {38, 2}, {43, 2}, {44, 3}, {46, 3}, {47, 4}, {255, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.value));
        EXPECT_EQ(BarLevel(c.value, settings.ThresholdCurrent, settings.ScaleGrphLevel), c.level);
    }
}

// Each bar's colour level comes from its own drive's warning temperature, the verdict's
// (an NVMe drive warning at 65 beside ATA drives at the user's 40), never the setting's.
TEST(MonitorCells, BarLevelsFollowEachDrivesOwnWarningTemperature)
{
    const struct {
        std::uint8_t warning;
        std::uint8_t current;
        std::uint8_t worst;
        unsigned currentLevel;
        unsigned worstLevel;
    } cases[] = {
        {65, 44, 44, 0, 0},  // at 40 these would be yellow and red
        {65, 45, 46, 0, 0},
        {65, 47, 47, 0, 0},
        {65, 59, 60, 0, 1},
        {65, 65, 68, 2, 2},  // at its own limit, and hot up to 3 above it
        {65, 71, 72, 3, 4},  // near and past 6 above it: the warning colours
        {40, 45, 47, 3, 4},  // the ATA drives at the user's limit, as before
        {40, 40, 41, 2, 2},
        {0, 45, 99, 0, 0},   // never hot: -6 wraps, every value is the first colour
    };
    const Settings settings;  // ThresholdCurrent 40: no drive here may take it
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.warning) << ": " << int(c.current) << "/" << int(c.worst));
        const auto drives = MakeDrives(16, {{4, c.current, c.worst}});
        DriveVerdict verdicts[kMaxDrives];
        verdicts[4].temperature = TemperatureState::Normal;
        verdicts[4].warningTemperature = c.warning;
        const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, false, nullptr, verdicts);
        ASSERT_EQ(plan.filledCells, 1u);
        EXPECT_EQ(plan.cells[0].currentLevel, c.currentLevel);
        EXPECT_EQ(plan.cells[0].worstLevel, c.worstLevel);
    }
}

TEST(BarLevel, SumsAreThirtyTwoBitAndComparedUnsigned)
{
    const struct {
        std::uint32_t threshold;
        std::int32_t offsets[kGraphLevels];
        std::uint8_t value;
        unsigned level;
    } cases[] = {
        {2, {-6, -3, 3, 6, 0}, 200, 0},          // 2 - 6 wraps to 0xFFFFFFFC: every value fits level 0
        {40, {-100, 0, 0, 0, 0}, 10, 0},         // -60 wraps the same way
        {40, {-1, -1, -1, -1, 0}, 40, 4},        // no wrap: 40 lies above all four limits of 39
        {0, {0, 0, 0, 0, 0}, 0, 0},
        {0, {0, 0, 0, 0, 0}, 1, 4},
        {0xFFFFFFF0u, {16, 17, 0, 0, 0}, 0, 0},  // the sum wraps to 0
        {0xFFFFFFF0u, {16, 17, 0, 0, 0}, 1, 1},
        {30, {10, 5, 20, 40, 100}, 41, 2},       // the table's order counts, not the sizes
        {30, {0, 0, 0, 0, 100}, 99, 4},          // offset 4 takes no part
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.value));
        EXPECT_EQ(BarLevel(c.value, c.threshold, c.offsets), c.level);
    }
}

TEST(ReducedWindowSize, EachDivideFromTheFullWindow)
{
    // Frame 8 x 8 around a client area of 877 x 173.
    const struct {
        unsigned divide;
        int width;
        int height;
    } cases[] = {
        {0, 885, 181}, {1, 8 + 3 * 219, 181}, {2, 7 + 438, 181}, {3, 6 + 219, 181},
        {4, 6 + 219, 7 + 86}, {5, 6 + 219, 6 + 43}, {6, 885, 181}, {0xFFFFFFFFu, 885, 181},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.divide);
        const WindowSize size = ReducedWindowSize(c.divide, 885, 181, 877, 173);
        EXPECT_EQ(size.width, c.width);
        EXPECT_EQ(size.height, c.height);
    }
}

TEST(TemperatureText, FormatsAcceptedAndRefused)
{
    const struct {
        const char* form;
        std::uint8_t value;
        const char* text;
    } cases[] = {
        {"%d", 45, "45"},
        {"%d℃", 45, "45℃"},
        {"%3d C", 7, "  7 C"},
        {"%-4d|", 7, "7   |"},
        {"%03u", 7, "007"},
        {"%x", 255, "ff"},
        {"%#X", 255, "0XFF"},
        {"%+i", 9, "+9"},
        {"100%% %d", 9, "100% 9"},
        {"T=%d", 0, "T=0"},
        {"%15d", 1, "              1"},       // exactly 15 characters
        // Refused: the temperature alone.
        {"%s", 45, "45"},
        {"%n", 45, "45"},
        {"%d%d", 45, "45"},
        {"%d%n", 45, "45"},
        {"%999999d", 45, "45"},
        {"%16d", 45, "45"},
        {"%", 45, "45"},
        {"abc%", 45, "45"},
        {"%-20d", 45, "45"},
        {"%ld", 45, "45"},
        {"%hhd", 45, "45"},
        {"%lld", 45, "45"},
        {"%*d", 45, "45"},
        {"%.3d", 45, "45"},
        {"%f", 45, "45"},
        {"%c", 45, "45"},
        {"%p", 45, "45"},
        {"%1$d", 45, "45"},
        {"no number", 45, "45"},
        {"", 45, "45"},
        {"%%", 45, "45"},
        {"temperature %d", 45, "temperature 45"},  // 14 characters
        {"temperatures %d", 100, "100"},          // 16 characters: too long
        {"%15d%%", 1, "1"},                       // 16 characters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        char text[kShortTextSize];
        std::memset(text, '#', sizeof text);
        FormatTemperature(c.form, c.value, text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(TemperatureText, TheCheckItself)
{
    EXPECT_TRUE(IsTemperatureFormat("%d"));
    EXPECT_TRUE(IsTemperatureFormat("%% %0- +#5X %%"));
    EXPECT_FALSE(IsTemperatureFormat(nullptr));
    EXPECT_FALSE(IsTemperatureFormat("%%d"));
    EXPECT_FALSE(IsTemperatureFormat("%4294967297d"));  // no wrap into a small width
    // A Form buffer filled to its end without a terminating zero (and "%s" beyond it).
    char full[kShortTextSize + 4] = {};
    std::memset(full, 'a', kShortTextSize);
    std::memcpy(full, "%d", 2);
    std::memcpy(full + kShortTextSize, "%s", 2);
    char text[kShortTextSize];
    FormatTemperature(full, 5, text);
    EXPECT_STREQ(text, "5");
}

}  // namespace

// A drive whose verdict says it does not answer: marked with since when, no current
// number or bar; the worst mode keeps its worst value.
TEST(MonitorCells, ADriveThatDoesNotAnswerIsMarkedWithoutItsOldValue)
{
    setenv("TZ", "UTC", 1);
    tzset();
    auto drives = MakeDrives(16, {{0, 40, 44}, {1, 41, 42}});
    drives->table[1].lastReadFailed = 1;
    const Settings settings;
    DriveVerdict verdicts[kMaxDrives];
    verdicts[1].temperature = TemperatureState::NotAnswering;
    verdicts[1].notAnsweringSince = 12 * 3600 + 34 * 60;
    for (const bool worstMode : {false, true}) {
        SCOPED_TRACE(worstMode);
        const MonitorCellPlan plan = PlanMonitorCells(*drives, settings, worstMode, nullptr, verdicts);
        ASSERT_EQ(plan.filledCells, 2u);
        EXPECT_STREQ(plan.cells[0].name, "DRIVE 0");
        EXPECT_STREQ(plan.cells[0].temperatureText, worstMode ? "44" : "40");
        EXPECT_STREQ(plan.cells[1].name, "(12:34 から応答なし) DRIVE 1");
        EXPECT_STREQ(plan.cells[1].temperatureText, worstMode ? "42" : "N/A");
        EXPECT_EQ(plan.cells[1].currentBar, 0);
        EXPECT_EQ(plan.cells[1].worstBar, 42);
    }
}
