#include "dotted_address.h"

bool ParseDottedIPv4(const char* text, std::uint8_t (&octets)[4])
{
    const char* p = text;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (*p != '.') {
                return false;
            }
            ++p;
        }
        unsigned value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            if (++digits > 3) {
                return false;
            }
            value = value * 10 + static_cast<unsigned>(*p - '0');
            ++p;
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        octets[part] = static_cast<std::uint8_t>(value);
    }
    return *p == '\0';
}
