// Colour level of a monitor-window bar: by how far its value lies from the drive's warning
// temperature.
#pragma once

#include "settings.h"

#include <cstdint>

// The first level n (0 to 3) with value <= threshold + ScaleGrphLevel[n], the sums taken
// in 32 bits and compared unsigned; 4 when none holds. ScaleGrphLevel[4] takes no part.
unsigned BarLevel(std::uint8_t value, std::uint32_t threshold, const std::int32_t (&offsets)[kGraphLevels]);
