#include "version_info_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

VersionInfo::~VersionInfo()
{
    Free();
}

int VersionInfo::Load(const char* path)
{
    Free();
    if (!path) return 0;
    const std::size_t length = std::strlen(path);
    path_ = new (std::nothrow) char[length + 1];
    if (!path_) return 0;
    std::memcpy(path_, path, length + 1);

    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path_, &ignored);
    if (size == 0) return 0;
    data_ = new (std::nothrow) unsigned char[size];
    if (!data_) return 0;
    if (!GetFileVersionInfoA(path_, 0, size, data_)) {
        Free();
        return 0;
    }
    void* translation = nullptr;
    UINT translationSize = 0;
    if (!VerQueryValueA(data_, "\\VarFileInfo\\Translation", &translation, &translationSize)
        || !translation || translationSize != 4) {
        Free();
        return 0;
    }
    WORD words[2];
    std::memcpy(words, translation, sizeof words);
    languageId_ = words[0];
    codePage_ = words[1];
    return 1;
}

const char* VersionInfo::Query(const char* name) const
{
    if (!data_ || !name) return "(error)";
    char key[256];
    const int written = std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s",
        static_cast<unsigned>(languageId_), static_cast<unsigned>(codePage_), name);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof key) return "(error)";
    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueA(data_, key, &value, &valueLength) || !value) return "(error)";
    // Resource compilers differ on whether an empty text counts its terminator.
    if (valueLength == 0 || *static_cast<const char*>(value) == '\0') return "(null)";
    return static_cast<const char*>(value);
}

std::wstring VersionInfo::QueryText(const char* name) const
{
    if (!data_ || !name) return std::wstring();
    char key[256];
    const int written = std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s",
        static_cast<unsigned>(languageId_), static_cast<unsigned>(codePage_), name);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof key) return std::wstring();
    const std::wstring wideKey(key, key + written);  // names are ASCII
    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueW(data_, wideKey.c_str(), &value, &valueLength) || !value || valueLength == 0) {
        return std::wstring();
    }
    return std::wstring(static_cast<const wchar_t*>(value));
}

void VersionInfo::Free()
{
    delete[] path_;
    path_ = nullptr;
    delete[] data_;
    data_ = nullptr;
}
