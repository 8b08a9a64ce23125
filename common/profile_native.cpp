// The profile functions on our own engine, for platforms without the Windows ones.
#include "profile.h"

#include "profile_engine.h"

namespace profile {

std::int32_t GetInt(const char* section, const char* key, std::int32_t def, const char* file)
{
    return profile_engine::GetInt(section, key, def, file);
}

std::uint32_t GetString(const char* section, const char* key, const char* def, char* buffer,
                        std::uint32_t size, const char* file)
{
    return profile_engine::GetString(section, key, def, buffer, size, file);
}

std::uint32_t GetSection(const char* section, char* buffer, std::uint32_t size, const char* file)
{
    return profile_engine::GetSection(section, buffer, size, file);
}

bool WriteString(const char* section, const char* key, const char* value, const char* file)
{
    return profile_engine::WriteString(section, key, value, file);
}

bool WriteSection(const char* section, const char* lines, const char* file)
{
    return profile_engine::WriteSection(section, lines, file);
}

}  // namespace profile
