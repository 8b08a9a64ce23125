// The profile functions are the Windows API itself.
#include "profile.h"

#include <windows.h>

namespace profile {

std::int32_t GetInt(const char* section, const char* key, std::int32_t def, const char* file)
{
    return static_cast<std::int32_t>(GetPrivateProfileIntA(section, key, def, file));
}

std::uint32_t GetString(const char* section, const char* key, const char* def, char* buffer,
                        std::uint32_t size, const char* file)
{
    return GetPrivateProfileStringA(section, key, def, buffer, size, file);
}

std::uint32_t GetSection(const char* section, char* buffer, std::uint32_t size, const char* file)
{
    return GetPrivateProfileSectionA(section, buffer, size, file);
}

bool WriteString(const char* section, const char* key, const char* value, const char* file)
{
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

bool WriteSection(const char* section, const char* lines, const char* file)
{
    return WritePrivateProfileSectionA(section, lines, file) != FALSE;
}

}  // namespace profile
