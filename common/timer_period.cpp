#include "timer_period.h"

namespace {
constexpr std::uint32_t kLongestPeriodMs = 0x7FFFFFFF;  // USER_TIMER_MAXIMUM
}

std::uint32_t TimerPeriodMs(std::uint32_t seconds)
{
    if (seconds == 0) {
        seconds = 1;
    }
    if (seconds > kLongestPeriodMs / 1000u) {
        return kLongestPeriodMs;
    }
    return seconds * 1000u;
}
