#include "warning_limit.h"

bool AnyHot(const DriveReadings& readings, const WarningLimits& limits)
{
    for (unsigned i = 0; i < readings.count; ++i) {
        if (IsHot(readings.items[i], limits)) {
            return true;
        }
    }
    return false;
}
