#include "host_text.h"

#include "cp932_text.h"

#include <cstring>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

void Trim(const char*& begin, std::size_t& length)
{
    while (length > 0 && IsBlank(*begin)) {
        ++begin;
        --length;
    }
    while (length > 0 && IsBlank(begin[length - 1])) {
        --length;
    }
}
}  // namespace

void HostFromCommandLine(const char* commandLine, char (&host)[kHostTextSize])
{
    const char* begin = commandLine ? commandLine : "";
    std::size_t length = std::strlen(begin);
    Trim(begin, length);
    // A quoted argument ("PELITO \"nas.local\"") arrives with its quotes; no host has them.
    if (length >= 2 && begin[0] == '"' && begin[length - 1] == '"') {
        ++begin;
        length -= 2;
        Trim(begin, length);
    }
    if (length == 0) {
        std::strcpy(host, kDefaultHost);
        return;
    }
    // The cut never splits a double-byte character; only the trimmed text counts.
    char trimmed[kHostTextSize + 1];
    const std::size_t take = length < kHostTextSize ? length : kHostTextSize;
    std::memcpy(trimmed, begin, take);
    trimmed[take] = '\0';
    const std::size_t fit = Cp932FitLength(trimmed, kHostTextSize - 1);
    std::memcpy(host, trimmed, fit);
    host[fit] = '\0';
}
