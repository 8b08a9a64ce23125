// When the warning balloon is shown. Windows 10 and 11 turn every balloon into a toast
// notification with a sound, so a hot drive must not warn at every measurement: a drive
// warns when it crosses into warning, and again only after it has cooled to its limit
// minus the margin and crossed once more. While drives stay hot, a silent reminder comes
// at most every so many minutes.
#pragma once

#include "drive_readings.h"
#include "warning_limit.h"

#include <cstdint>

enum class WarningAlert {
    None,
    Alert,     // a drive crossed into warning: the balloon with its sound
    Reminder,  // drives are still hot: the same balloon, silent
};

class WarningAlerts {
public:
    // One measurement's readings at nowMs, a millisecond tick count that may wrap (as
    // GetTickCount does after 49.7 days); reminderMinutes 0: no reminders. Drives that
    // gave no temperature keep their state.
    WarningAlert Update(const DriveReadings& readings, const WarningLimits& limits, std::uint32_t nowMs,
        unsigned reminderMinutes);
    // Forgets every warning given (balloons switched off): the next hot measurement alerts.
    void Reset();

private:
    bool warned_[kMaxDrives] = {};
    std::uint32_t lastShownMs_ = 0;
};
