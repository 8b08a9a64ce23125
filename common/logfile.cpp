#include "logfile.h"

#include "durable_file.h"

#include <cstdio>
#include <string>

namespace {

std::tm LocalNow()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return local ? *local : std::tm{};
}

LOGFILE::Clock g_clock = LocalNow;

}  // namespace

LOGFILE::Clock LOGFILE::SetClock(Clock clock)
{
    Clock previous = g_clock;
    g_clock = clock ? clock : LocalNow;
    return previous;
}

LOGFILE::~LOGFILE() = default;

void LOGFILE::CurrentTime()
{
    const std::tm now = g_clock();
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", now.tm_year + 1900, now.tm_mon + 1, now.tm_mday);
    date_ = text;
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.tm_hour, now.tm_min, now.tm_sec);
    time_ = text;
}

bool LOGFILE::Write(const char* text)
{
    if (!enabled_) {
        return true;
    }
    CurrentTime();
    const char* body = text ? text : "";
    const CSTR* stamps[2] = {nullptr, nullptr};
    switch (format_) {
    case LF_DATE:
        stamps[0] = &date_;
        break;
    case LF_TIME:
        stamps[0] = &time_;
        break;
    case LF_DATETIME:
        stamps[0] = &date_;
        stamps[1] = &time_;
        break;
    default:
        break;
    }
    CSTR line;
    if (stamps[0]) {
        line = stamps[0]->String();
        if (stamps[1]) {
            line += " ";
            line += *stamps[1];
        }
        line += "  ";
    }
    line += body;
    line += "\n";
    // An empty name is a null text: standard output.
    if (name_.String() == nullptr) {
        if (!Open(nullptr)) {
            return false;
        }
        const bool written = CFILE::Write(line.String());
        return Close() && written;
    }
    // A file gets CR LF line ends, and the line whole or not at all: a full disk must not
    // leave a part that the next line would be glued to.
    std::string bytes;
    for (const char* p = line.String(); *p != '\0'; ++p) {
        if (*p == '\n') {
            bytes += '\r';
        }
        bytes += *p;
    }
    return AppendWhole(name_.String(), bytes.data(), bytes.size());
}
