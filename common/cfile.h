// CFILE: a minimal append-only text file, or the standard output stream.
#pragma once

#include "support_export.h"

#include <cstdio>

class KV_EXPORT CFILE {
public:
    CFILE() = default;
    CFILE(const CFILE&) = delete;
    CFILE& operator=(const CFILE&) = delete;
    virtual ~CFILE();

    bool Open(const char* path);  // null path: standard output
    // False when buffered text could not be written out.
    bool Close();
    bool Write(const char* text);  // false on a stream error
    void Enable(bool on) { enabled_ = on; }
    void Disable() { enabled_ = false; }

protected:
    std::FILE* stream_ = nullptr;
    bool enabled_ = false;
};
