#include "unit_range_text.h"

#include "pelito_settings.h"

#include <cstdio>

std::string UnitRangeText(PelitoText unit, const char* key)
{
    const SettingKey* range = PelitoSettingKeys().Find("", key);
    if (range == nullptr) {
        return Text(unit);
    }
    char text[64];
    std::snprintf(text, sizeof text, Text(unit), static_cast<unsigned>(range->minimum),
        static_cast<unsigned>(range->maximum));
    return text;
}
