#include "warning_alerts.h"

WarningAlert WarningAlerts::Update(const DriveReadings& readings, const WarningLimits& limits, std::uint32_t nowMs,
    unsigned reminderMinutes)
{
    bool crossed = false;
    bool anyHot = false;
    for (unsigned i = 0; i < readings.count; ++i) {
        const DriveReading& reading = readings.items[i];
        if (reading.driveNumber >= kMaxDrives) {
            continue;
        }
        bool& warned = warned_[reading.driveNumber];
        const unsigned limit = DriveWarningLimit(reading, limits);
        const bool hot = NextHot(warned, reading.temperature, limit);
        if (hot && reading.temperature > limit) {
            anyHot = true;
            crossed = crossed || !warned;
        }
        warned = hot;
    }
    if (crossed) {
        lastShownMs_ = nowMs;
        return WarningAlert::Alert;
    }
    const std::uint64_t period = static_cast<std::uint64_t>(reminderMinutes) * 60u * 1000u;
    const std::uint32_t since = nowMs - lastShownMs_;  // modular: right across the wrap
    if (anyHot && reminderMinutes != 0 && since >= period) {
        lastShownMs_ = nowMs;
        return WarningAlert::Reminder;
    }
    return WarningAlert::None;
}

void WarningAlerts::Reset()
{
    for (bool& warned : warned_) {
        warned = false;
    }
    lastShownMs_ = 0;
}
