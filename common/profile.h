// The profile (INI) functions INIFILE sits on. On Windows they are the Windows API
// (profile_win.cpp); natively our own engine with the same observable behaviour
// (profile_native.cpp).
#pragma once

#include <cstdint>

namespace profile {

// GetPrivateProfileIntA: the key's value as an integer, or def when the key is missing.
std::int32_t GetInt(const char* section, const char* key, std::int32_t def, const char* file);

// GetPrivateProfileStringA: copies the value (or def when the key is missing) into
// buffer, cut to size - 1 bytes and NUL-terminated; returns the bytes copied.
std::uint32_t GetString(const char* section, const char* key, const char* def, char* buffer,
                        std::uint32_t size, const char* file);

// GetPrivateProfileSectionA: the section's lines as NUL-terminated "key=value" strings
// ending in an empty one; returns the bytes copied without the last NUL, size - 2 when
// the lines did not fit (and were cut). size must be at least 2.
std::uint32_t GetSection(const char* section, char* buffer, std::uint32_t size, const char* file);

// WritePrivateProfileStringA: stores value under section and key; true on success.
bool WriteString(const char* section, const char* key, const char* value, const char* file);

// WritePrivateProfileSectionA: replaces the section's lines with `lines` (a list of
// NUL-terminated "key=value" strings ending in an empty one); true on success.
bool WriteSection(const char* section, const char* lines, const char* file);

}  // namespace profile
