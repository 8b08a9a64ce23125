// Our own profile (INI) engine: the profile functions of profile.h, with the
// behaviour of the Windows ones, built on ProfileDocument. It is portable, so the Windows
// test tree can link it beside the platform functions and hold the two to each other;
// natively profile_native.cpp hands the profile seam to it.
#pragma once

#include <cstdint>

namespace profile_engine {

std::int32_t GetInt(const char* section, const char* key, std::int32_t def, const char* file);
std::uint32_t GetString(const char* section, const char* key, const char* def, char* buffer,
                        std::uint32_t size, const char* file);
std::uint32_t GetSection(const char* section, char* buffer, std::uint32_t size, const char* file);
bool WriteString(const char* section, const char* key, const char* value, const char* file);
bool WriteSection(const char* section, const char* lines, const char* file);

}  // namespace profile_engine
