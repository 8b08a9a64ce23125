#include "json_text.h"

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

} // namespace

std::size_t Utf8CharacterLength(const unsigned char* bytes, std::size_t length)
{
    if (length == 0) {
        return 0;
    }
    const unsigned char lead = bytes[0];
    if (lead < 0x80) {
        return 1;
    }
    // Allowed range of the second byte narrows for E0, ED, F0 and F4 (RFC 3629 section 4).
    std::size_t size = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        secondLow = lead == 0xE0 ? 0xA0 : 0x80;
        secondHigh = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        secondLow = lead == 0xF0 ? 0x90 : 0x80;
        secondHigh = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (length < size || bytes[1] < secondLow || bytes[1] > secondHigh) {
        return 0;
    }
    for (std::size_t i = 2; i < size; ++i) {
        if (!IsContinuation(bytes[i])) {
            return 0;
        }
    }
    return size;
}

bool AppendJsonString(std::string& out, const char* bytes, std::size_t length)
{
    static const char kHex[] = "0123456789abcdef";
    const auto* text = reinterpret_cast<const unsigned char*>(bytes);
    bool intact = true;
    out += '"';
    std::size_t i = 0;
    while (i < length) {
        const unsigned char c = text[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            const char* shortForm = c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : nullptr;
            if (shortForm != nullptr) {
                out += shortForm;
            } else {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 0x0F];
            }
            ++i;
        } else if (const std::size_t size = Utf8CharacterLength(text + i, length - i)) {
            out.append(bytes + i, size);
            i += size;
        } else {
            out += "\\ufffd";
            intact = false;
            ++i;
        }
    }
    out += '"';
    return intact;
}
