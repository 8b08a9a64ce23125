#include "profile_section.h"

#include "profile.h"
#include "profile_integer.h"

#include <cstring>

namespace {

// Room for the longest section a settings file holds, with plenty to spare; a longer
// one is read key by key.
constexpr std::uint32_t kSectionBufferSize = 8192;

bool IsNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsPlainKey(const char* key, std::size_t length)
{
    if (length == 0) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (!IsNameCharacter(key[i])) {
            return false;
        }
    }
    return true;
}

bool IsPlainSectionName(const char* name)
{
    if (name == nullptr || *name == '\0') {
        return false;
    }
    for (const char* p = name; *p != '\0'; ++p) {
        if (!IsNameCharacter(*p) && *p != '.' && *p != '-') {
            return false;
        }
    }
    return true;
}

// Printable ASCII without quotes (the profile calls take a quoted value's quotes off)
// and without blanks at either end (which they trim).
bool IsPlainValue(const char* value, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const char c = value[i];
        if (c < ' ' || c > '~' || c == '"' || c == '\'') {
            return false;
        }
    }
    return length == 0 || (value[0] != ' ' && value[length - 1] != ' ');
}

bool SameKey(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

ProfileSection ProfileSection::Read(const char* section, const char* file, Reader reader)
{
    ProfileSection read;
    if (IsPlainSectionName(section) && file != nullptr) {
        std::vector<char> text(kSectionBufferSize);
        const std::uint32_t count = (reader ? reader : profile::GetSection)(section, text.data(), kSectionBufferSize, file);
        read = ProfileSection(text.data(), count, kSectionBufferSize);
    }
    read.name_ = section ? section : "";
    return read;
}

ProfileSection::ProfileSection(const char* text, std::uint32_t count, std::uint32_t size)
{
    // A count of size - 2 is what a cut text returns, and a text that just fitted as well.
    if (text == nullptr || size < 2 || count >= size - 2) {
        return;
    }
    for (std::uint32_t at = 0; at < count;) {
        const char* line = text + at;
        const char* end = static_cast<const char*>(std::memchr(line, '\0', count - at));
        const std::size_t length = end ? static_cast<std::size_t>(end - line) : count - at;
        const char* equals = static_cast<const char*>(std::memchr(line, '=', length));
        if (equals == nullptr) {
            return;
        }
        const auto keyLength = static_cast<std::size_t>(equals - line);
        const char* value = equals + 1;
        const std::size_t valueLength = length - keyLength - 1;
        if (!IsPlainKey(line, keyLength) || !IsPlainValue(value, valueLength)) {
            return;
        }
        Entry entry{std::string(line, keyLength), std::string(value, valueLength)};
        if (Find(entry.key.c_str()) != nullptr) {
            return;
        }
        entries_.push_back(entry);
        at += static_cast<std::uint32_t>(length) + 1;
    }
    plain_ = true;
}

const ProfileSection::Entry* ProfileSection::Find(const char* key) const
{
    for (const Entry& entry : entries_) {
        if (SameKey(entry.key, key)) {
            return &entry;
        }
    }
    return nullptr;
}

bool ProfileSection::GetInt(const char* key, std::int32_t def, std::int32_t* value) const
{
    if (!plain_ || key == nullptr || !IsPlainKey(key, std::strlen(key))) {
        return false;
    }
    const Entry* entry = Find(key);
    *value = entry ? profile_integer::FromValue(entry->value.c_str(), def) : def;
    return true;
}

bool ProfileSection::GetString(const char* key, const char* def, char* buffer, std::uint32_t size) const
{
    if (!plain_ || key == nullptr || !IsPlainKey(key, std::strlen(key)) || buffer == nullptr || size == 0) {
        return false;
    }
    const Entry* entry = Find(key);
    // A missing key gives the default, which the profile calls also trim and unquote.
    const char* text = entry ? entry->value.c_str() : def ? def : "";
    const std::size_t length = std::strlen(text);
    if (entry == nullptr && !IsPlainValue(text, length)) {
        return false;
    }
    const std::size_t count = length < size - 1 ? length : size - 1;
    std::memcpy(buffer, text, count);
    buffer[count] = '\0';
    return true;
}
