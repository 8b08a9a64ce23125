// One measurement cycle over the present drives.
#pragma once

#include "drive_table.h"
#include "settings.h"

#include <cstdint>

// Reads each present drive's attribute table, takes its temperature, raises and saves
// the worst value, and appends the log line when settings.UseLog is on. Returns the
// number of drives that gave a temperature, also stored in drives.measuredCount.
std::uint32_t MeasureAll(DriveState& drives, const Settings& settings);
