// The temperature above which a drive warns. Drives of different kinds run at different
// temperatures: an NVMe SSD at 45-70 °C in normal use, with a warning temperature of its
// own (identify bytes 266-267) that lies at 70-85 °C on most drives.
#pragma once

#include "drive_readings.h"

struct Settings;

// An NVMe drive warns this far below its own warning temperature, so that the user hears
// of it before the drive starts to slow itself down.
constexpr unsigned kNvmeOwnWarningLead = 5;
// An own warning temperature below this is taken as not reported (0 K means that; a few
// drives fill in nonsense).
constexpr unsigned kNvmeLowestOwnWarning = 50;
// The limit of an NVMe drive that reports no warning temperature of its own.
constexpr unsigned kNvmeFallbackLimit = 70;

struct WarningLimits {
    unsigned ata = 40;   // the user's warning temperature
    unsigned nvme = 0;   // the user's NVMe limit; 0: each drive's own, as above
};

WarningLimits WarningLimitsOf(const Settings& settings);

unsigned DriveWarningLimit(const DriveReading& reading, const WarningLimits& limits);
// A sleeping drive's last value is old news: it warns again once it is read.
inline bool IsHot(const DriveReading& reading, const WarningLimits& limits)
{
    return !reading.sleeping && reading.temperature > DriveWarningLimit(reading, limits);
}
bool AnyHot(const DriveReadings& readings, const WarningLimits& limits);
