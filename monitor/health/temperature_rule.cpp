#include "temperature_rule.h"

#include "nvme_pages.h"
#include "nvme_records.h"
#include "settings.h"

WarningLimits WarningLimitsOf(const Settings& settings)
{
    WarningLimits limits;
    limits.ata = settings.ThresholdCurrent;
    limits.nvme = settings.NvmeCurrent;
    return limits;
}

unsigned DriveWarningTemperature(DriveKind kind, unsigned nvmeOwnWarning, const WarningLimits& limits)
{
    if (kind != DriveKind::Nvme) {
        return limits.ata;
    }
    if (limits.nvme != 0) {
        return limits.nvme;
    }
    if (nvmeOwnWarning < kNvmeLowestOwnWarning) {
        return kNvmeFallbackLimit;
    }
    return nvmeOwnWarning - kNvmeOwnWarningLead;
}

std::uint8_t NvmeOwnWarning(const DriveRecord& record)
{
    if (record.kind != DriveKind::Nvme || record.nvmeIdentifyResult == nullptr ||
        record.nvmeIdentifyBytes < kNvmeWarningTempOffset + 2) {
        return 0;
    }
    return KelvinToCelsius(NvmeWord(record.nvmeIdentifyResult + kNvmeWarningTempOffset));
}

unsigned DriveWarningTemperature(const DriveRecord& record, const WarningLimits& limits)
{
    return DriveWarningTemperature(record.kind, NvmeOwnWarning(record), limits);
}

bool NextHot(bool wasHot, unsigned temperature, unsigned limit)
{
    if (limit == 0 || temperature == 0) {
        return limit != 0 && wasHot;
    }
    if (temperature > limit) {
        return true;
    }
    return wasHot && temperature + kWarningHysteresis > limit;
}
