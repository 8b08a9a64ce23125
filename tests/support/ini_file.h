// A program's INI file as the tests set it up and read it back. `file` is the bare name
// ("KELVIX.INI", "PELITO.INI"): the profile functions keep it in the Windows directory.
#pragma once

#include <string>

// The file's full path in the Windows directory; a file given with its path is that path.
std::string IniPath(const char* file);

void WriteIni(const char* file, const char* section, const char* key, const char* value);
void WriteIni(const char* file, const char* section, const char* key, unsigned value);

// The key's value, or "" when the key is missing.
std::string ReadIni(const char* file, const char* section, const char* key);

// The whole file as it stands on disk, or "" when there is none.
std::string ReadIniText(const char* file);
