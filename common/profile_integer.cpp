#include "profile_integer.h"

namespace profile_integer {

std::int32_t Parse(const char* text)
{
    const char* p = text;
    while (*p != '\0' && static_cast<unsigned char>(*p) <= ' ') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
        base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
        p += 2;
    }
    std::uint32_t total = 0;
    for (;; ++p) {
        std::uint32_t digit;
        if (*p >= '0' && *p <= '9') {
            digit = static_cast<std::uint32_t>(*p - '0');
        } else if (*p >= 'a' && *p <= 'z') {
            digit = static_cast<std::uint32_t>(*p - 'a' + 10);
        } else if (*p >= 'A' && *p <= 'Z') {
            digit = static_cast<std::uint32_t>(*p - 'A' + 10);
        } else {
            break;
        }
        if (digit >= base) {
            break;
        }
        total = total * base + digit;
    }
    return static_cast<std::int32_t>(negative ? 0u - total : total);
}

std::int32_t FromValue(const char* value, std::int32_t def)
{
    char text[kReadSize];
    std::uint32_t length = 0;
    while (length + 1 < kReadSize && value[length] != '\0') {
        text[length] = value[length];
        ++length;
    }
    text[length] = '\0';
    return length == 0 ? def : Parse(text);
}

}  // namespace profile_integer
