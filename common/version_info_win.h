// VersionInfo: reads the version strings of a program file, in the file's first
// translation. Texts returned by Query live in the data block until Free or the next Load.
#pragma once

#include <cstdint>
#include <string>

class VersionInfo {
public:
    VersionInfo() = default;
    virtual ~VersionInfo();
    VersionInfo(const VersionInfo&) = delete;
    VersionInfo& operator=(const VersionInfo&) = delete;

    // 1 when the file has a version resource with exactly one 4-byte translation entry.
    int Load(const char* path);
    // The string value `name`: "(error)" when it cannot be found, "(null)" when empty.
    const char* Query(const char* name) const;
    // The same value as the resource holds it, in UTF-16, for showing on any Windows (the
    // texts above pass through the system's code page); empty when it cannot be found.
    std::wstring QueryText(const char* name) const;
    void Free();

    std::uint16_t LanguageId() const { return languageId_; }
    std::uint16_t CodePage() const { return codePage_; }

private:
    unsigned char* data_ = nullptr;
    std::uint16_t languageId_ = 0;
    std::uint16_t codePage_ = 0;
    char* path_ = nullptr;
};
