#include "cp932_text.h"

bool IsCp932LeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::size_t Cp932FitLength(const char* text, std::size_t maxBytes)
{
    std::size_t length = 0;
    while (length < maxBytes && text[length] != '\0') {
        const bool lead = IsCp932LeadByte(static_cast<unsigned char>(text[length]));
        const std::size_t width = (lead && text[length + 1] != '\0') ? 2 : 1;
        if (length + width > maxBytes) {
            break;
        }
        length += width;
    }
    return length;
}
