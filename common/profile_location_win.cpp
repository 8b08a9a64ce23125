#include "profile_location_win.h"

#include <windows.h>

#include <cstring>

std::string ProfileFilePath(const char* bareName)
{
    if (std::strpbrk(bareName, "\\/:") != nullptr) {
        return bareName;
    }
    char directory[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory) {
        return bareName;
    }
    return std::string(directory) + '\\' + bareName;
}

std::string ProfileWriteFailedText(const char* bareName)
{
    return "ファイルへの書き込みに失敗しました。\r\n" + ProfileFilePath(bareName);
}
