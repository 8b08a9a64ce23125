// ProfileSection: one section of a profile (INI) file read with a single section call,
// answering key reads exactly as the per-key profile calls would. It answers only where
// that is certain: the section's text fitted the buffer and every line of it is a plain
// key=value (ASCII name of letters, digits and '_', printable ASCII value without quotes
// or surrounding blanks, no name twice in any case). Otherwise it answers nothing and
// the caller asks key by key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ProfileSection {
public:
    // The profile section call to read with (profile::GetSection by default).
    using Reader = std::uint32_t (*)(const char* section, char* buffer, std::uint32_t size, const char* file);

    // The section called `section` (a plain name: letters, digits, '_', '.' and '-').
    static ProfileSection Read(const char* section, const char* file, Reader reader = nullptr);

    // A section that answers nothing.
    ProfileSection() = default;
    // From a section call's result: the buffer of `size` bytes and the count returned.
    ProfileSection(const char* text, std::uint32_t count, std::uint32_t size);

    bool Plain() const { return plain_; }
    const std::string& Name() const { return name_; }

    // What GetInt / GetString would give for the key; false when that is not certain.
    bool GetInt(const char* key, std::int32_t def, std::int32_t* value) const;
    bool GetString(const char* key, const char* def, char* buffer, std::uint32_t size) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    const Entry* Find(const char* key) const;

    std::string name_;
    std::vector<Entry> entries_;
    bool plain_ = false;
};
