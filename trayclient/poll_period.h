// Period of the poll timer for the "Timer" setting.
#pragma once

#include <cstdint>

// Milliseconds for a period in seconds. The INI value comes unchecked: 0 would poll
// without pause, so at least one second; a huge value stays at the longest period the
// timer accepts instead of wrapping around in the product.
std::uint32_t PollPeriodMs(std::uint32_t seconds);
