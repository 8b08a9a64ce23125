// INIFILE: typed values in a profile (INI) file, on top of the profile functions
// (see profile.h). No file stays open: every call goes to the file by name, unless
// ReadWholeSections asks for a section at a time.
#pragma once

#include "support_export.h"

#include "cstr.h"
#include "profile_section.h"
#include "wintypes.h"

#include <cstdint>
#include <vector>

class KV_EXPORT INIFILE {
public:
    INIFILE() = default;
    INIFILE(const INIFILE&) = delete;
    INIFILE& operator=(const INIFILE&) = delete;
    virtual ~INIFILE();

    int Open(const char* path);
    void Close();
    int Create(const char* section);
    // Until Open, Close or any write: each section is read with one call and its keys are
    // answered from that text where it certainly gives what the key's own call would.
    void ReadWholeSections();

    int Read(const char* section, const char* key, std::uint8_t def, std::uint8_t* out);
    int Read(const char* section, const char* key, std::int16_t def, std::int16_t* out);
    int Read(const char* section, const char* key, std::uint16_t def, std::uint16_t* out);
    int Read(const char* section, const char* key, std::int32_t def, std::int32_t* out);
    int Read(const char* section, const char* key, std::uint32_t def, std::uint32_t* out);
    int Read(const char* section, const char* key, long def, long* out);
    int Read(const char* section, const char* key, unsigned long def, unsigned long* out);
    int Read(const char* section, const char* key, float def, float* out);
    int Read(const char* section, const char* key, const char* def, char* buffer, unsigned size);
    int Read(const char* section, const char* key, LOGFONTA* font);
    int Read(const char* section, const char* key, COLORREF* colour);
    int Read(const char* section, const char* key, RECT* rect);

    int Write(const char* section, const char* key, std::uint8_t value);
    int Write(const char* section, const char* key, std::int16_t value);
    int Write(const char* section, const char* key, std::uint16_t value);
    int Write(const char* section, const char* key, std::int32_t value);
    int Write(const char* section, const char* key, std::uint32_t value);
    int Write(const char* section, const char* key, long value);
    int Write(const char* section, const char* key, unsigned long value);
    int Write(const char* section, const char* key, float value);
    int Write(const char* section, const char* key, const char* format, std::uint32_t argument);
    int Write(const char* section, const char* key, const char* text);
    int Write(const char* section, const char* key, const LOGFONTA* font);
    int Write(const char* section, const char* key, const COLORREF* colour);
    int Write(const char* section, const char* key, const RECT* rect);

    const char* FileName() const { return name_.String(); }

private:
    std::int32_t ReadInt(const char* section, const char* key, std::int32_t def);
    void ReadText(const char* section, const char* key, const char* def, char* buffer, std::uint32_t size);
    const ProfileSection* WholeSection(const char* section);
    void ForgetSections();

    CSTR name_;
    bool wholeSections_ = false;
    std::vector<ProfileSection> sections_;
};
