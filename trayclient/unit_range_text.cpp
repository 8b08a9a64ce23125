#include "unit_range_text.h"

#include "pelito_settings.h"

#include <cstdio>
#include <cstring>

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

std::uint32_t SpinValue(const SettingKey& key, std::uint32_t saved)
{
    if (saved < key.minimum) {
        return static_cast<std::uint32_t>(key.minimum);
    }
    return saved > key.maximum ? static_cast<std::uint32_t>(key.maximum) : saved;
}

std::string RangeNoteText(const PelitoSettings& settings)
{
    for (const SettingKey& key : PelitoSettingKeys()) {
        if ((key.uses & kSettingInDialog) == 0 || key.kind != SettingKind::Unsigned) {
            continue;
        }
        std::uint32_t saved = 0;
        std::memcpy(&saved, reinterpret_cast<const char*>(&settings) + key.offset, sizeof saved);
        const std::uint32_t shown = SpinValue(key, saved);
        if (shown != saved) {
            char text[160];
            std::snprintf(text, sizeof text, Text(PelitoText::RangeNote), key.key, static_cast<unsigned>(saved),
                static_cast<unsigned>(key.minimum), static_cast<unsigned>(key.maximum), static_cast<unsigned>(shown));
            return text;
        }
    }
    return std::string();
}
