#include "utf8_from_cp932.h"

#include <windows.h>

#include <cstring>

std::string Utf8FromCp932(const char* text)
{
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) {
        return std::string();
    }
    const int wideLength = MultiByteToWideChar(932, 0, text, length, nullptr, 0);
    if (wideLength <= 0) {
        return std::string();
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(932, 0, text, length, &wide[0], wideLength);
    const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) {
        return std::string();
    }
    std::string utf8(static_cast<std::size_t>(utf8Length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], utf8Length, nullptr, nullptr);
    return utf8;
}
