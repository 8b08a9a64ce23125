// Timer periods and reply waits from second counts read unchecked from an INI file.
#pragma once

#include <cstdint>

// Milliseconds for a count of seconds. 0 would give a timer that fires without pause (or a
// socket wait without limit): at least one second. A huge count stays at the longest
// period a timer accepts instead of wrapping around in the product.
std::uint32_t TimerPeriodMs(std::uint32_t seconds);
