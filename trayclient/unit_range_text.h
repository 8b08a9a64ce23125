// The unit beside a spin of PELITO's settings dialog with the spin's range, taken from
// the key table the spin itself uses: "°C (10 - 70)".
#pragma once

#include "pelito_texts.h"

#include <string>

std::string UnitRangeText(PelitoText unit, const char* key);
