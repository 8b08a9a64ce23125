#include "setting_keys.h"

#include "inifile.h"
#include "wintypes.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace {

template <class T>
T& Field(void* record, const SettingKey& key)
{
    return *reinterpret_cast<T*>(static_cast<char*>(record) + key.offset);
}

template <class T>
const T& Field(const void* record, const SettingKey& key)
{
    return *reinterpret_cast<const T*>(static_cast<const char*>(record) + key.offset);
}

bool SameLetters(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

void ReadText(INIFILE& ini, const SettingKey& key, void* record, const void* defaults)
{
    char* field = &Field<char>(record, key);
    const char* fallback = &Field<char>(defaults, key);
    const std::size_t longest = static_cast<std::size_t>(key.maximum);
    // A strict key reads one byte more than it keeps: a text cut short could mean
    // something else than the one written (a list naming other hosts), so it is no text.
    std::vector<char> text(longest + 2, '\0');
    ini.Read(key.section, key.key, fallback, text.data(), static_cast<unsigned>(key.strict ? longest + 2 : longest + 1));
    const bool fits = std::strlen(text.data()) <= longest;
    std::strcpy(field, fits ? text.data() : fallback);
}

void ReadStrictNumber(INIFILE& ini, const SettingKey& key, void* record, const void* defaults)
{
    char text[32] = "";
    ini.Read(key.section, key.key, "", text, sizeof text);
    std::int64_t value = 0;
    const bool taken = ParseWholeNumber(text, key.minimum, key.maximum, value);
    Field<std::uint32_t>(record, key) =
        taken ? static_cast<std::uint32_t>(value) : Field<std::uint32_t>(defaults, key);
}

}  // namespace

const SettingKey* SettingTable::Find(const char* section, const char* key) const
{
    for (const SettingKey& entry : *this) {
        if ((entry.section == nullptr || SameLetters(entry.section, section)) && SameLetters(entry.key, key)) {
            return &entry;
        }
    }
    return nullptr;
}

void ReadSettingKeys(INIFILE& ini, const SettingTable& table, void* record, const void* defaults,
                     const char* section)
{
    for (SettingKey key : table) {
        key.section = key.section != nullptr ? key.section : section;
        if (key.strict && key.kind == SettingKind::Unsigned) {
            ReadStrictNumber(ini, key, record, defaults);
            continue;
        }
        switch (key.kind) {
        case SettingKind::Flag:
        case SettingKind::Signed:
            ini.Read(key.section, key.key, Field<std::int32_t>(defaults, key), &Field<std::int32_t>(record, key));
            break;
        case SettingKind::Unsigned:
        case SettingKind::Hex:
            ini.Read(key.section, key.key, Field<std::uint32_t>(defaults, key), &Field<std::uint32_t>(record, key));
            break;
        case SettingKind::Byte:
            ini.Read(key.section, key.key, Field<std::uint8_t>(defaults, key), &Field<std::uint8_t>(record, key));
            break;
        case SettingKind::Text:
            ReadText(ini, key, record, defaults);
            break;
        case SettingKind::Colour:
            ini.Read(key.section, key.key, &Field<COLORREF>(record, key));
            break;
        case SettingKind::Font:
            ini.Read(key.section, key.key, &Field<LOGFONTA>(record, key));
            break;
        }
    }
}

bool WriteSettingKeys(INIFILE& ini, const SettingTable& table, const void* record, const char* section)
{
    int written = 1;
    for (SettingKey key : table) {
        key.section = key.section != nullptr ? key.section : section;
        switch (key.kind) {
        case SettingKind::Flag:
        case SettingKind::Signed:
            written &= ini.Write(key.section, key.key, Field<std::int32_t>(record, key));
            break;
        case SettingKind::Unsigned:
            written &= ini.Write(key.section, key.key, Field<std::uint32_t>(record, key));
            break;
        case SettingKind::Hex:
            written &= ini.Write(key.section, key.key, static_cast<unsigned long>(Field<std::uint32_t>(record, key)));
            break;
        case SettingKind::Byte:
            written &= ini.Write(key.section, key.key, Field<std::uint8_t>(record, key));
            break;
        case SettingKind::Text:
            written &= ini.Write(key.section, key.key, &Field<char>(record, key));
            break;
        case SettingKind::Colour:
            written &= ini.Write(key.section, key.key, &Field<COLORREF>(record, key));
            break;
        case SettingKind::Font:
            written &= ini.Write(key.section, key.key, &Field<LOGFONTA>(record, key));
            break;
        }
    }
    return written != 0;
}

bool ParseWholeNumber(const char* text, std::int64_t minimum, std::int64_t maximum, std::int64_t& value)
{
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    const bool negative = *text == '-' && minimum < 0;
    if (negative) {
        ++text;
    }
    std::int64_t parsed = 0;
    const char* at = text;
    for (; *at >= '0' && *at <= '9'; ++at) {
        parsed = parsed * 10 + (*at - '0');
        if (parsed > (negative ? -minimum : maximum)) {
            return false;
        }
    }
    const bool digits = at != text;
    while (*at == ' ' || *at == '\t') {
        ++at;
    }
    if (negative) {
        parsed = -parsed;
    }
    if (!digits || *at != '\0' || parsed < minimum || parsed > maximum) {
        return false;
    }
    value = parsed;
    return true;
}

bool ParseSettingValue(const SettingKey& key, const std::string& value, void* record, std::string& problem)
{
    if (key.kind == SettingKind::Text) {
        const std::int64_t length = static_cast<std::int64_t>(value.size());
        if (length < key.minimum || length > key.maximum) {
            problem = "needs a text of " + std::to_string(key.minimum) + " to " + std::to_string(key.maximum) +
                      " characters";
            return false;
        }
        std::memcpy(&Field<char>(record, key), value.c_str(), value.size() + 1);
        return true;
    }
    if (key.kind == SettingKind::Colour || key.kind == SettingKind::Font) {
        problem = "is not read from this file";
        return false;
    }
    std::int64_t number = 0;
    if (value.size() > 20 || !ParseWholeNumber(value.c_str(), key.minimum, key.maximum, number)) {
        problem = key.kind == SettingKind::Flag ? "must be 0 or 1"
                                                : "must be a whole number from " + std::to_string(key.minimum) +
                                                      " to " + std::to_string(key.maximum);
        problem += ", not \"" + value + "\"";
        return false;
    }
    switch (key.kind) {
    case SettingKind::Flag:
    case SettingKind::Signed:
        Field<std::int32_t>(record, key) = static_cast<std::int32_t>(number);
        break;
    case SettingKind::Byte:
        Field<std::uint8_t>(record, key) = static_cast<std::uint8_t>(number);
        break;
    default:
        Field<std::uint32_t>(record, key) = static_cast<std::uint32_t>(number);
        break;
    }
    return true;
}

std::string SettingValueText(const SettingKey& key, const void* record)
{
    switch (key.kind) {
    case SettingKind::Flag:
    case SettingKind::Signed:
        return std::to_string(Field<std::int32_t>(record, key));
    case SettingKind::Byte:
        return std::to_string(Field<std::uint8_t>(record, key));
    case SettingKind::Text:
        return std::string("\"") + &Field<char>(record, key) + "\"";
    default:
        return std::to_string(Field<std::uint32_t>(record, key));
    }
}
