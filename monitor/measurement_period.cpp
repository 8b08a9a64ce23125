#include "measurement_period.h"

namespace {
constexpr std::uint32_t kLongestPeriodMs = 0x7FFFFFFF;  // USER_TIMER_MAXIMUM
}

std::uint32_t MeasurementPeriodMs(std::uint32_t intervalSeconds)
{
    if (intervalSeconds == 0) {
        intervalSeconds = 1;
    }
    if (intervalSeconds > kLongestPeriodMs / 1000u) {
        return kLongestPeriodMs;
    }
    return intervalSeconds * 1000u;
}
