#include "ini_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

std::string IniPath(const char* file)
{
    if (std::strpbrk(file, "\\/:") != nullptr) {
        return file;  // a full path already
    }
    char directory[MAX_PATH] = {};
    GetWindowsDirectoryA(directory, sizeof directory);
    return std::string(directory) + "\\" + file;
}

void WriteIni(const char* file, const char* section, const char* key, const char* value)
{
    WritePrivateProfileStringA(section, key, value, file);
}

void WriteIni(const char* file, const char* section, const char* key, unsigned value)
{
    WriteIni(file, section, key, std::to_string(value).c_str());
}

std::string ReadIni(const char* file, const char* section, const char* key)
{
    char value[300] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof value, file);
    return value;
}

std::string ReadIniText(const char* file)
{
    std::string text;
    if (std::FILE* stream = std::fopen(IniPath(file).c_str(), "rb")) {
        char buffer[1024];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
        std::fclose(stream);
    }
    return text;
}
