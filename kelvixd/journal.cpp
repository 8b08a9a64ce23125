#include "journal.h"

#include <cstdarg>
#include <cstdio>

void Journal(Priority priority, const char* format, ...)
{
    // One buffer, one write: lines from the query thread never interleave with ours.
    char line[1024];
    const int head = std::snprintf(line, sizeof line, "<%d>", static_cast<int>(priority));
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line + head, sizeof line - static_cast<unsigned>(head) - 1, format, arguments);
    va_end(arguments);
    std::fprintf(stderr, "%s\n", line);
}
