// When KELVIX warns: per-kind limits, and alerts with hysteresis and silent reminders,
// driven by a clock the test sets.
#include "balloon_text.h"
#include "warning_alerts.h"
#include "warning_limit.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

DriveReading Reading(unsigned number, unsigned temperature, DriveKind kind = DriveKind::Ata, unsigned ownWarning = 0)
{
    DriveReading reading;
    reading.driveNumber = number;
    reading.temperature = static_cast<std::uint8_t>(temperature);
    reading.model = "M";
    reading.kind = kind;
    reading.ownWarning = static_cast<std::uint8_t>(ownWarning);
    return reading;
}

TEST(DriveWarningLimit, EachKindOfDriveHasItsOwn)
{
    const struct {
        DriveKind kind;
        unsigned ownWarning, ata, nvme, limit;
        const char* why;
    } cases[] = {
        {DriveKind::Ata, 0, 40, 0, 40, "ATA: the user's warning temperature"},
        {DriveKind::Ata, 80, 45, 60, 45, "ATA ignores the NVMe limit"},
        {DriveKind::Nvme, 82, 40, 0, 77, "NVMe: a little below the drive's own"},
        {DriveKind::Nvme, 70, 40, 0, 65, "NVMe: a little below the drive's own"},
        {DriveKind::Nvme, 0, 40, 0, 70, "NVMe reporting none: the fallback"},
        {DriveKind::Nvme, 49, 40, 0, 70, "an implausible own value counts as none"},
        {DriveKind::Nvme, 50, 40, 0, 45, "the lowest own value taken"},
        {DriveKind::Nvme, 82, 40, 75, 75, "the user's NVMe limit wins"},
        {DriveKind::Nvme, 82, 40, 90, 90, "the user's NVMe limit is not capped at 60"},
    };
    for (const auto& c : cases) {
        WarningLimits limits;
        limits.ata = c.ata;
        limits.nvme = c.nvme;
        EXPECT_EQ(DriveWarningLimit(Reading(0, 50, c.kind, c.ownWarning), limits), c.limit) << c.why;
    }
}

// A healthy NVMe drive under load does not turn the tray red; one near its own warning
// temperature does, and so does a hot ATA drive beside a cool NVMe one.
TEST(DriveWarningLimit, HotDrivesAreThoseAboveTheirOwnLimit)
{
    const WarningLimits limits;  // ATA 40, NVMe by the drive
    const struct {
        DriveReading a, b;
        bool hot;
    } cases[] = {
        {Reading(0, 38), Reading(1, 62, DriveKind::Nvme, 80), false},
        {Reading(0, 38), Reading(1, 76, DriveKind::Nvme, 80), true},
        {Reading(0, 38), Reading(1, 75, DriveKind::Nvme, 80), false},
        {Reading(0, 41), Reading(1, 50, DriveKind::Nvme, 80), true},
        {Reading(0, 40), Reading(1, 70, DriveKind::Nvme, 0), false},
        {Reading(0, 40), Reading(1, 71, DriveKind::Nvme, 0), true},
    };
    for (const auto& c : cases) {
        DriveReadings readings;
        readings.Add(c.a);
        readings.Add(c.b);
        EXPECT_EQ(AnyHot(readings, limits), c.hot) << int(c.a.temperature) << " / " << int(c.b.temperature);
    }
}

TEST(WarningBalloon, ListsDrivesAboveTheirOwnLimitTitledWithTheLowest)
{
    DriveReadings readings;
    readings.Add(Reading(0, 45));                        // ATA above 40
    readings.Add(Reading(1, 66, DriveKind::Nvme, 82));   // below 77: not listed
    readings.Add(Reading(2, 79, DriveKind::Nvme, 80));   // above 75
    const WarningLimits limits;
    BalloonContent content = WarningBalloonContent(readings, 1, limits);
    EXPECT_EQ(content.text, "#0  45℃ : M\n#2  79℃ : M");
    EXPECT_EQ(content.title, "40℃を超えています");
    EXPECT_EQ(content.iconFlags, kBalloonIconWarning);

    DriveReadings nvmeOnly;
    nvmeOnly.Add(Reading(2, 79, DriveKind::Nvme, 80));
    content = WarningBalloonContent(nvmeOnly, 1, limits, true);
    EXPECT_EQ(content.title, "75℃を超えています");
    EXPECT_EQ(content.iconFlags, kBalloonIconWarning | 0x10u) << "a reminder plays no sound";
}

// One measurement after another: the temperatures of drives 0 (ATA, limit 40) and 1
// (NVMe, own 80, limit 75) at a time, and what the warning does.
struct Step {
    std::uint32_t atMs;
    unsigned ata, nvme;  // 0: no temperature this time
    WarningAlert alert;
    const char* why;
};

void RunSteps(const Step* steps, std::size_t count, unsigned reminderMinutes, std::uint32_t startMs = 0)
{
    WarningAlerts alerts;
    const WarningLimits limits;
    for (std::size_t i = 0; i < count; ++i) {
        const Step& s = steps[i];
        DriveReadings readings;
        if (s.ata != 0) readings.Add(Reading(0, s.ata));
        if (s.nvme != 0) readings.Add(Reading(1, s.nvme, DriveKind::Nvme, 80));
        EXPECT_EQ(alerts.Update(readings, limits, startMs + s.atMs, reminderMinutes), s.alert)
            << "step " << i << " at " << s.atMs << " ms: " << s.why;
    }
}

constexpr std::uint32_t kMinute = 60000;

TEST(WarningAlerts, OnceWhenCrossingThenSilentRemindersThenAgainAfterCooling)
{
    const Step steps[] = {
        {0, 35, 60, WarningAlert::None, "all cool"},
        {1 * kMinute, 41, 60, WarningAlert::Alert, "ATA crosses 40"},
        {2 * kMinute, 45, 60, WarningAlert::None, "still hot: no balloon every measurement"},
        {3 * kMinute, 40, 60, WarningAlert::None, "at the limit: not hot"},
        {4 * kMinute, 41, 60, WarningAlert::None, "back above without cooling by the margin"},
        {10 * kMinute, 38, 60, WarningAlert::None, "38 is within the margin of 3"},
        {11 * kMinute, 42, 60, WarningAlert::None, "so this is no new crossing"},
        {30 * kMinute, 42, 60, WarningAlert::None, "29 minutes since the alert"},
        {31 * kMinute, 42, 60, WarningAlert::Reminder, "30 minutes: a reminder"},
        {32 * kMinute, 42, 60, WarningAlert::None, "the next only 30 minutes later"},
        {33 * kMinute, 37, 60, WarningAlert::None, "cooled to the limit minus the margin"},
        {34 * kMinute, 41, 60, WarningAlert::Alert, "a new crossing alerts again"},
        {35 * kMinute, 41, 76, WarningAlert::Alert, "another drive crosses into warning"},
        {36 * kMinute, 41, 0, WarningAlert::None, "NVMe gives no temperature: keeps its state"},
        {37 * kMinute, 41, 77, WarningAlert::None, "and is not warned of again"},
        {38 * kMinute, 30, 73, WarningAlert::None, "both cooled, NVMe within its margin"},
        {64 * kMinute, 30, 73, WarningAlert::None, "nothing hot: no reminder"},
        {65 * kMinute, 30, 76, WarningAlert::Reminder, "NVMe back above 75, not re-armed: reminder due"},
    };
    RunSteps(steps, std::size(steps), 30);
}

TEST(WarningAlerts, NoRemindersWhenSwitchedOff)
{
    const Step steps[] = {
        {0, 50, 0, WarningAlert::Alert, "hot at start-up"},
        {100 * kMinute, 50, 0, WarningAlert::None, "reminders off"},
        {1000 * kMinute, 50, 0, WarningAlert::None, "reminders off"},
    };
    RunSteps(steps, std::size(steps), 0);
}

TEST(WarningAlerts, RemindersKeepTheirSpacingWhenTheTickCountWraps)
{
    const std::uint32_t start = 0xFFFFFFFFu - 5 * kMinute;
    const Step steps[] = {
        {0, 50, 0, WarningAlert::Alert, "hot"},
        {3 * kMinute, 50, 0, WarningAlert::None, "3 minutes"},
        {6 * kMinute, 50, 0, WarningAlert::None, "6 minutes, past the wrap"},
        {10 * kMinute, 50, 0, WarningAlert::Reminder, "10 minutes"},
    };
    RunSteps(steps, std::size(steps), 10, start);
}

TEST(WarningAlerts, ResetMakesTheNextHotMeasurementAlert)
{
    WarningAlerts alerts;
    DriveReadings hot;
    hot.Add(Reading(3, 50));
    const WarningLimits limits;
    EXPECT_EQ(alerts.Update(hot, limits, 1000, 30), WarningAlert::Alert);
    EXPECT_EQ(alerts.Update(hot, limits, 2000, 30), WarningAlert::None);
    alerts.Reset();
    EXPECT_EQ(alerts.Update(hot, limits, 3000, 30), WarningAlert::Alert);
}

}  // namespace
