// The temperature log: one time-stamped line per measurement cycle with the current
// temperature of every probed drive number.
#pragma once

#include "drive_table.h"

constexpr unsigned kLogTextSize = 128;
// Stands for the temperature of a drive left asleep: as wide as a temperature.
constexpr char kSleepingLogText[] = "ZZ";

// "%02u " for each drive number below the probe count, absent drives as 00, sleeping
// drives as "ZZ ".
void FormatTemperatureLogText(const DriveState& drives, char (&text)[kLogTextSize]);
// Appends the cycle's line to `logFile` (opened and closed for the line), whole or not at
// all; a failure is told through file_trouble.h.
void WriteTemperatureLog(const DriveState& drives, const char* logFile);
