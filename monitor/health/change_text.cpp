#include "change_text.h"

#include <cstdio>

std::size_t FormatVerdictChange(const VerdictChange& change, const char* model, char* text, std::size_t size)
{
    if (text == nullptr || size == 0) {
        return 0;
    }
    const int n = std::snprintf(text, size, "health of drive %u \"%s\" is %s%s (was %s)", change.driveNumber,
                                model != nullptr ? model : "", HealthStateName(change.verdict.health),
                                change.worse ? "" : " again", HealthStateName(change.from));
    std::size_t used = n < 0 ? 0 : (static_cast<std::size_t>(n) < size ? static_cast<std::size_t>(n) : size - 1);
    text[used] = '\0';
    for (unsigned i = 0; i < change.verdict.reasonCount && used + 3 < size; ++i) {
        text[used++] = i == 0 ? ':' : ';';
        text[used++] = ' ';
        used += FormatHealthReason(change.verdict.reasons[i], text + used, size - used);
    }
    text[used] = '\0';
    return used;
}
