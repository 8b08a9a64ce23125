#include "utf16_from_cp932.h"

#include "utf8_from_cp932.h"

std::u16string Utf16FromCp932(const char* text)
{
    const std::string utf8 = Utf8FromCp932(text);
    std::u16string utf16;
    // Code page 932 has no character beyond U+FFFF: one to three UTF-8 bytes, one unit.
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at++]);
        const unsigned trail = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : 2;
        char32_t code = trail == 0 ? lead : lead & (0x3F >> trail);
        for (unsigned i = 0; i < trail && at < utf8.size(); ++i) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[at++]) & 0x3F);
        }
        utf16 += static_cast<char16_t>(code);
    }
    return utf16;
}
