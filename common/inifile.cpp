#include "inifile.h"

#include "profile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Parses up to `count` comma-separated decimal numbers from the start of text, stopping
// at the first text that is not one; returns how many were parsed.
int ParseNumbers(const char* text, long* numbers, int count)
{
    const char* p = text;
    int parsed = 0;
    while (parsed < count) {
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
            ++p;
        }
        const char* digits = p;
        if (*digits == '+' || *digits == '-') {
            ++digits;
        }
        if (*digits < '0' || *digits > '9') {
            break;
        }
        char* end = nullptr;
        const long long value = std::strtoll(p, &end, 10);
        numbers[parsed++] = static_cast<long>(static_cast<std::int32_t>(value));
        p = end;
        if (*p != ',') {
            break;
        }
        ++p;
    }
    return parsed;
}

// The leading decimal floating-point part of text (sign, digits, fraction, exponent);
// hexadecimal, infinity and NaN forms are not numbers here, on any platform.
float ParseFloat(const char* text)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) {
        ++p;
    }
    const char* start = p;
    if (*p == '+' || *p == '-') {
        ++p;
    }
    bool digits = false;
    while (*p >= '0' && *p <= '9') {
        ++p;
        digits = true;
    }
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') {
            ++p;
            digits = true;
        }
    }
    if (!digits) {
        return 0.0f;
    }
    if (*p == 'e' || *p == 'E') {
        const char* exponent = p + 1;
        if (*exponent == '+' || *exponent == '-') {
            ++exponent;
        }
        if (*exponent >= '0' && *exponent <= '9') {
            p = exponent;
            while (*p >= '0' && *p <= '9') {
                ++p;
            }
        }
    }
    char number[64];
    const std::size_t length = static_cast<std::size_t>(p - start);
    if (length >= sizeof number) {
        return 0.0f;
    }
    std::memcpy(number, start, length);
    number[length] = '\0';
    return std::strtof(number, nullptr);
}

}  // namespace

INIFILE::~INIFILE()
{
    Close();
}

int INIFILE::Open(const char* path)
{
    ForgetSections();
    wholeSections_ = false;
    name_ = path;
    return name_.Compare(path, 0) ? 1 : 0;
}

void INIFILE::Close()
{
    ForgetSections();
    wholeSections_ = false;
    name_.Remove();
}

void INIFILE::ReadWholeSections()
{
    wholeSections_ = true;
}

void INIFILE::ForgetSections()
{
    sections_.clear();
}

const ProfileSection* INIFILE::WholeSection(const char* section)
{
    if (!wholeSections_ || section == nullptr) {
        return nullptr;
    }
    for (const ProfileSection& known : sections_) {
        if (known.Name() == section) {
            return &known;
        }
    }
    sections_.push_back(ProfileSection::Read(section, name_.String()));
    return &sections_.back();
}

std::int32_t INIFILE::ReadInt(const char* section, const char* key, std::int32_t def)
{
    std::int32_t value = 0;
    const ProfileSection* whole = WholeSection(section);
    if (whole != nullptr && whole->GetInt(key, def, &value)) {
        return value;
    }
    return profile::GetInt(section, key, def, name_.String());
}

void INIFILE::ReadText(const char* section, const char* key, const char* def, char* buffer, std::uint32_t size)
{
    const ProfileSection* whole = WholeSection(section);
    if (whole == nullptr || !whole->GetString(key, def, buffer, size)) {
        profile::GetString(section, key, def, buffer, size, name_.String());
    }
}

int INIFILE::Create(const char* section)
{
    if (name_.Length() == 0) {
        return 0;
    }
    static const char kNoKeys[2] = {'\0', '\0'};
    ForgetSections();
    return profile::WriteSection(section, kNoKeys, name_.String()) ? 1 : 0;
}

int INIFILE::Read(const char* section, const char* key, std::uint8_t def, std::uint8_t* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    *out = static_cast<std::uint8_t>(ReadInt(section, key, def));
    return 1;
}

int INIFILE::Read(const char* section, const char* key, std::int16_t def, std::int16_t* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    *out = static_cast<std::int16_t>(ReadInt(section, key, def));
    return 1;
}

int INIFILE::Read(const char* section, const char* key, std::uint16_t def, std::uint16_t* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    *out = static_cast<std::uint16_t>(ReadInt(section, key, def));
    return 1;
}

int INIFILE::Read(const char* section, const char* key, std::int32_t def, std::int32_t* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    *out = ReadInt(section, key, def);
    return 1;
}

int INIFILE::Read(const char* section, const char* key, std::uint32_t def, std::uint32_t* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    *out = static_cast<std::uint32_t>(ReadInt(section, key, static_cast<std::int32_t>(def)));
    return 1;
}

// long and unsigned long hold the same 32-bit reading as the two overloads above (on
// Windows they are 32 bits wide; a wider native long just holds the same value).
int INIFILE::Read(const char* section, const char* key, long def, long* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    *out = ReadInt(section, key, static_cast<std::int32_t>(def));
    return 1;
}

int INIFILE::Read(const char* section, const char* key, unsigned long def, unsigned long* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    *out = static_cast<std::uint32_t>(ReadInt(section, key, static_cast<std::int32_t>(def)));
    return 1;
}

int INIFILE::Read(const char* section, const char* key, float def, float* out)
{
    if (name_.Length() == 0) {
        return 0;
    }
    char text[64];
    ReadText(section, key, "", text, sizeof text);
    *out = text[0] == '\0' ? def : ParseFloat(text);
    return 1;
}

int INIFILE::Read(const char* section, const char* key, const char* def, char* buffer, unsigned size)
{
    if (name_.Length() == 0 || buffer == nullptr || size == 0) {
        return 0;
    }
    ReadText(section, key, def, buffer, size);
    return 1;
}

int INIFILE::Read(const char* section, const char* key, LOGFONTA* font)
{
    if (name_.Length() == 0) {
        return 0;
    }
    char text[128];
    ReadText(section, key, "", text, sizeof text);
    if (text[0] == '\0') {
        return 0;
    }
    long numbers[13];
    const int parsed = ParseNumbers(text, numbers, 13);
    LONG* const wide[5] = {&font->lfHeight, &font->lfWidth, &font->lfEscapement, &font->lfOrientation,
                           &font->lfWeight};
    BYTE* const narrow[8] = {&font->lfItalic, &font->lfUnderline, &font->lfStrikeOut, &font->lfCharSet,
                             &font->lfOutPrecision, &font->lfClipPrecision, &font->lfQuality,
                             &font->lfPitchAndFamily};
    for (int i = 0; i < parsed; ++i) {
        if (i < 5) {
            *wide[i] = static_cast<LONG>(numbers[i]);
        } else {
            *narrow[i - 5] = static_cast<BYTE>(numbers[i]);
        }
    }
    // The face name is whatever follows the last comma.
    const char* comma = std::strrchr(text, ',');
    if (comma != nullptr && comma[1] != '\0') {
        std::snprintf(font->lfFaceName, sizeof font->lfFaceName, "%s", comma + 1);
    }
    return 1;
}

int INIFILE::Read(const char* section, const char* key, COLORREF* colour)
{
    if (name_.Length() == 0) {
        return 0;
    }
    char text[64];
    ReadText(section, key, "", text, sizeof text);
    if (text[0] == '\0') {
        return 0;
    }
    long parts[3] = {GetRValue(*colour), GetGValue(*colour), GetBValue(*colour)};
    ParseNumbers(text, parts, 3);
    *colour = RGB(static_cast<BYTE>(parts[0]), static_cast<BYTE>(parts[1]), static_cast<BYTE>(parts[2]));
    return 1;
}

int INIFILE::Read(const char* section, const char* key, RECT* rect)
{
    if (name_.Length() == 0) {
        return 0;
    }
    char text[64];
    ReadText(section, key, "", text, sizeof text);
    if (text[0] == '\0') {
        return 0;
    }
    long sides[4] = {rect->left, rect->top, rect->right, rect->bottom};
    ParseNumbers(text, sides, 4);
    rect->left = static_cast<LONG>(sides[0]);
    rect->top = static_cast<LONG>(sides[1]);
    rect->right = static_cast<LONG>(sides[2]);
    rect->bottom = static_cast<LONG>(sides[3]);
    return 1;
}

int INIFILE::Write(const char* section, const char* key, std::uint8_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", static_cast<unsigned>(value));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, std::int16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return Write(section, key, text);
}

// Written as the 32-bit values they are on Windows, so both platforms write the same text.
int INIFILE::Write(const char* section, const char* key, long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(static_cast<std::int32_t>(value)));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, unsigned long value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%lf", static_cast<double>(value));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, const char* format, std::uint32_t argument)
{
    if (format == nullptr) {
        return name_.Length() == 0 ? 0 : Write(section, key, "");
    }
    char text[64];
    std::snprintf(text, sizeof text, format, argument);
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, const char* text)
{
    if (name_.Length() == 0) {
        return 0;
    }
    ForgetSections();
    return profile::WriteString(section, key, text, name_.String()) ? 1 : 0;
}

int INIFILE::Write(const char* section, const char* key, const LOGFONTA* font)
{
    char text[128];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%.*s",
                  static_cast<int>(font->lfHeight), static_cast<int>(font->lfWidth),
                  static_cast<int>(font->lfEscapement), static_cast<int>(font->lfOrientation),
                  static_cast<int>(font->lfWeight), font->lfItalic, font->lfUnderline, font->lfStrikeOut,
                  font->lfCharSet, font->lfOutPrecision, font->lfClipPrecision, font->lfQuality,
                  font->lfPitchAndFamily, LF_FACESIZE, font->lfFaceName);
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, const COLORREF* colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d,%d,%d", GetRValue(*colour), GetGValue(*colour), GetBValue(*colour));
    return Write(section, key, text);
}

int INIFILE::Write(const char* section, const char* key, const RECT* rect)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", static_cast<int>(rect->left), static_cast<int>(rect->top),
                  static_cast<int>(rect->right), static_cast<int>(rect->bottom));
    return Write(section, key, text);
}
