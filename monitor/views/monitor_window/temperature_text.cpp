#include "temperature_text.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsFlag(char c)
{
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0';
}

bool IsIntegerConversion(char c)
{
    return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X';
}

}  // namespace

bool IsTemperatureFormat(const char* form)
{
    // The Form buffer holds 16 bytes: a text that fills it without its zero is refused.
    if (form == nullptr || std::memchr(form, '\0', kShortTextSize) == nullptr) {
        return false;
    }
    unsigned conversions = 0;
    for (const char* p = form; *p != '\0'; ++p) {
        if (*p != '%') {
            continue;
        }
        ++p;
        if (*p == '%') {
            continue;
        }
        while (IsFlag(*p)) {
            ++p;
        }
        // A width beyond the text's room can never fit; refusing it here also keeps
        // the formatter from producing megabytes it would then throw away.
        unsigned width = 0;
        while (*p >= '0' && *p <= '9') {
            width = width * 10 + static_cast<unsigned>(*p - '0');
            if (width > kTemperatureTextMax) {
                return false;
            }
            ++p;
        }
        if (!IsIntegerConversion(*p)) {
            return false;  // also a lone '%' at the end
        }
        ++conversions;
    }
    return conversions == 1;
}

void FormatTemperature(const char* form, std::uint8_t temperature, char (&text)[kShortTextSize])
{
    const int value = temperature;
    if (IsTemperatureFormat(form)) {
        char wide[64];
        const int length = std::snprintf(wide, sizeof wide, form, value);
        if (length >= 0 && static_cast<unsigned>(length) <= kTemperatureTextMax) {
            std::memcpy(text, wide, static_cast<std::size_t>(length) + 1);
            return;
        }
    }
    std::snprintf(text, sizeof text, "%d", value);
}
