// When a drive is too hot: each kind of drive has its own warning temperature, and a drive
// that crossed it stays hot until it has cooled a few degrees below, so a drive hovering
// at its limit does not flap. The tray, the balloons, the exports and kelvixd's journal
// all read this one rule.
#pragma once

#include "drive_table.h"
#include "drive_verdict.h"

#include <cstdint>

struct Settings;

// An NVMe SSD runs at 45-70 °C in normal use and reports a warning temperature of its own
// (identify bytes 266-267), 70-85 °C on most drives. It warns this far below that, so the
// user hears of it before the drive starts to slow itself down.
constexpr unsigned kNvmeOwnWarningLead = 5;
// An own warning temperature below this is taken as not reported (0 K means that; a few
// drives fill in nonsense).
constexpr unsigned kNvmeLowestOwnWarning = 50;
// The limit of an NVMe drive that reports no warning temperature of its own.
constexpr unsigned kNvmeFallbackLimit = 70;
// How far below its limit a hot drive must cool before it is normal again.
constexpr unsigned kWarningHysteresis = 3;

struct WarningLimits {
    unsigned ata = 40;  // the user's warning temperature; 0: never hot
    unsigned nvme = 0;  // the user's NVMe limit; 0: each drive's own, as above
};

WarningLimits WarningLimitsOf(const Settings& settings);

// The temperature above which a drive of `kind` is hot. `nvmeOwnWarning`: an NVMe drive's
// own warning temperature in °C, 0 when it reports none.
unsigned DriveWarningTemperature(DriveKind kind, unsigned nvmeOwnWarning, const WarningLimits& limits);
// An NVMe drive's own warning temperature from its identify data, 0 when none.
std::uint8_t NvmeOwnWarning(const DriveRecord& record);
// The same for a drive of the table.
unsigned DriveWarningTemperature(const DriveRecord& record, const WarningLimits& limits);

// Whether a drive is hot after a reading of `temperature` (0: none read), given whether it
// was hot before: above the limit it is; it stays so until it is `kWarningHysteresis`
// below. A limit of 0 is never hot.
bool NextHot(bool wasHot, unsigned temperature, unsigned limit);
