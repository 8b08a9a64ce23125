#include "monitor_bars.h"

unsigned BarLevel(std::uint8_t value, std::uint32_t threshold, const std::int32_t (&offsets)[kGraphLevels])
{
    for (unsigned level = 0; level + 1 < kGraphLevels; ++level) {
        const std::uint32_t limit = threshold + static_cast<std::uint32_t>(offsets[level]);
        if (value <= limit) {
            return level;
        }
    }
    return kGraphLevels - 1;
}
