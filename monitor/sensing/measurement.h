// One measurement cycle over the present drives.
#pragma once

#include "drive_table.h"
#include "settings.h"

#include <cstdint>

// Reads each present drive's attribute table, takes its temperature, raises and saves
// the worst value, and appends the log line when settings.UseLog is on. A spun-down ATA
// drive is read only as settings.NoWake and WakeAfter allow (drive_power.h); otherwise it
// keeps its values and is marked sleeping. Returns the number of drives that have a
// temperature (sleeping ones their last), also stored in drives.measuredCount.
std::uint32_t MeasureAll(DriveState& drives, const Settings& settings);

// Whether some present drive is left asleep (its temperature, if any, is its last).
bool AnyDriveSleeping(const DriveState& drives);
