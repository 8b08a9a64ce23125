#include "cfile.h"

#include <cstring>

// Files are opened in binary mode and every line feed is written as CR LF by hand, so a
// file gets the same bytes on every platform (what a Windows text-mode stream writes).
// Standard output keeps its own text mode. fopen opens without any sharing restriction,
// so other programs may read or append between our lines.

CFILE::~CFILE()
{
    Close();
}

bool CFILE::Open(const char* path)
{
    Close();
    stream_ = nullptr;  // Close keeps standard output; a new Open lets go of it
    if (path == nullptr) {
        stream_ = stdout;
    } else {
        stream_ = std::fopen(path, "ab");
        if (stream_ == nullptr) {
            return false;
        }
    }
    enabled_ = true;
    return true;
}

void CFILE::Close()
{
    if (stream_ == nullptr) {
        return;
    }
    std::fflush(stream_);
    if (stream_ == stdout) {
        return;  // standard output stays attached
    }
    std::fclose(stream_);
    stream_ = nullptr;
}

bool CFILE::Write(const char* text)
{
    if (stream_ == nullptr || !enabled_ || text == nullptr) {
        return false;
    }
    if (stream_ == stdout) {
        std::fputs(text, stream_);
        return true;
    }
    for (const char* p = text; *p != '\0';) {
        const char* lineFeed = std::strchr(p, '\n');
        const std::size_t run = lineFeed ? static_cast<std::size_t>(lineFeed - p) : std::strlen(p);
        std::fwrite(p, 1, run, stream_);
        if (lineFeed == nullptr) {
            break;
        }
        std::fwrite("\r\n", 1, 2, stream_);
        p = lineFeed + 1;
    }
    return true;
}
