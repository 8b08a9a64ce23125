// The unit beside a spin of PELITO's settings dialog with the spin's range, taken from
// the key table the spin itself uses: "°C (10 - 70)".
#pragma once

#include "pelito_texts.h"

#include <cstdint>
#include <string>

struct SettingKey;

std::string UnitRangeText(PelitoText unit, const char* key);

struct PelitoSettings;
// The first of the dialog's numbers whose saved value lies outside its spin's range, told
// with what Apply would save instead (PELITO uses the saved value until then); empty when
// every one fits.
std::string RangeNoteText(const PelitoSettings& settings);
// The value a spin shows for a saved one: the nearest end of its key's range.
std::uint32_t SpinValue(const SettingKey& key, std::uint32_t saved);
