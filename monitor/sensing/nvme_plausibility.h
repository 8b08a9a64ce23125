// Pages that came through a bridge or a vendor driver are checked before a number of
// theirs is shown: a bridge that returns stale or shifted bytes must give "not readable",
// never a wrong temperature. Pages from the inbox driver are taken as they are.
#pragma once

#include <cstdint>

// Model, serial and firmware are printable ASCII, and the model is not blank.
bool PlausibleIdentify(const std::uint8_t* identify);
// The bytes NVMe reserves at the end of the log (232-511) are zero, and the composite
// temperature is 0 (not reported) or between 173 K and 473 K.
bool PlausibleHealth(const std::uint8_t* health);
