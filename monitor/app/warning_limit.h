// The tray's view of the temperature rule (monitor/health/temperature_rule.h) over its
// readings: the limits and the crossing are decided there, for every output alike.
#pragma once

#include "drive_readings.h"
#include "temperature_rule.h"

inline unsigned DriveWarningLimit(const DriveReading& reading, const WarningLimits& limits)
{
    return DriveWarningTemperature(reading.kind, reading.ownWarning, limits);
}
// A sleeping drive's last value is old news: it warns again once it is read.
inline bool IsHot(const DriveReading& reading, const WarningLimits& limits)
{
    return !reading.sleeping && !reading.notAnswering && reading.temperature > DriveWarningLimit(reading, limits);
}
bool AnyHot(const DriveReadings& readings, const WarningLimits& limits);
