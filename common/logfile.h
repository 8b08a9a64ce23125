// LOGFILE: one time-stamped line per Write, the file opened and closed around each line.
#pragma once

#include "support_export.h"

#include "cfile.h"
#include "cstr.h"

#include <cstdint>
#include <ctime>

enum LF_TYPE : std::uint32_t {
    LF_PLAIN = 0,
    LF_DATE = 1,
    LF_TIME = 2,
    LF_DATETIME = 3,
};

class KV_EXPORT LOGFILE : public CFILE {
public:
    LOGFILE() = default;
    ~LOGFILE() override;

    void FileName(const char* path) { name_ = path; }
    void FormatType(LF_TYPE type) { format_ = type; }
    bool Write(const char* text);

    // Where the time stamps come from: the local time by default. Tests set a fixed
    // clock; a null clock restores the default. Returns the previous clock.
    using Clock = std::tm (*)();
    static Clock SetClock(Clock clock);

protected:
    void CurrentTime();

private:
    LF_TYPE format_ = LF_PLAIN;
    CSTR name_;
    CSTR date_;
    CSTR time_;
};
