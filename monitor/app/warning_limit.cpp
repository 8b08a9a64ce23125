#include "warning_limit.h"

#include "settings.h"

WarningLimits WarningLimitsOf(const Settings& settings)
{
    WarningLimits limits;
    limits.ata = settings.ThresholdCurrent;
    limits.nvme = settings.NvmeCurrent;
    return limits;
}

unsigned DriveWarningLimit(const DriveReading& reading, const WarningLimits& limits)
{
    if (reading.kind != DriveKind::Nvme) {
        return limits.ata;
    }
    if (limits.nvme != 0) {
        return limits.nvme;
    }
    if (reading.ownWarning < kNvmeLowestOwnWarning) {
        return kNvmeFallbackLimit;
    }
    return reading.ownWarning - kNvmeOwnWarningLead;
}

bool AnyHot(const DriveReadings& readings, const WarningLimits& limits)
{
    for (unsigned i = 0; i < readings.count; ++i) {
        if (IsHot(readings.items[i], limits)) {
            return true;
        }
    }
    return false;
}
