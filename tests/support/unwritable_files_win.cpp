#include "unwritable_files.h"

#include <windows.h>

#include <cstdio>

ReadOnlyFile::ReadOnlyFile(std::string path) : path_(std::move(path))
{
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    if (Refuses())
        return;
    // Wine running as root writes read-only files all the same; a handle that lets
    // others read but not write refuses them on every Windows and under Wine.
    HANDLE handle = CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        holder_ = handle;
}

ReadOnlyFile::~ReadOnlyFile()
{
    if (holder_ != nullptr)
        CloseHandle(static_cast<HANDLE>(holder_));
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

bool ReadOnlyFile::Refuses() const
{
    std::FILE* stream = std::fopen(path_.c_str(), "r+b");
    if (stream == nullptr)
        return true;
    std::fclose(stream);
    return false;
}

// Wine shows the Linux root as drive Z:, so its full device is there.
const char* FullDevicePath()
{
    return "Z:\\dev\\full";
}
