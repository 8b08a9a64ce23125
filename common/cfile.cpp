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

bool CFILE::Close()
{
    if (stream_ == nullptr) {
        return true;
    }
    const bool flushed = std::fflush(stream_) == 0;
    if (stream_ == stdout) {
        return flushed;  // standard output stays attached
    }
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    return flushed && closed;
}

bool CFILE::Write(const char* text)
{
    if (stream_ == nullptr || !enabled_ || text == nullptr) {
        return false;
    }
    if (stream_ == stdout) {
        return std::fputs(text, stream_) >= 0;
    }
    for (const char* p = text; *p != '\0';) {
        const char* lineFeed = std::strchr(p, '\n');
        const std::size_t run = lineFeed ? static_cast<std::size_t>(lineFeed - p) : std::strlen(p);
        if (std::fwrite(p, 1, run, stream_) != run) {
            return false;
        }
        if (lineFeed == nullptr) {
            break;
        }
        if (std::fwrite("\r\n", 1, 2, stream_) != 2) {
            return false;
        }
        p = lineFeed + 1;
    }
    return std::ferror(stream_) == 0;
}
