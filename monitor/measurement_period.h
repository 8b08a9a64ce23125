// Period of the measurement timer for the "Current" interval setting.
#pragma once

#include <cstdint>

// Milliseconds for an interval in seconds. The INI value is used unchecked, so a 0
// would start a timer that fires continuously: at least one second; and the product
// is kept within the largest period the timer accepts instead of wrapping.
std::uint32_t MeasurementPeriodMs(std::uint32_t intervalSeconds);
