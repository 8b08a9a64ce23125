#include "health_words.h"

#include "common_texts.h"

#include <cstdio>

// The counts by the names the S.M.A.R.T. viewer's users know them by.
const char* HealthCountName(std::uint8_t id)
{
    switch (id) {
    case 0: return Text(CommonText::CountMediaErrors);
    case 5: return Text(CommonText::CountReallocated);
    case 187: return Text(CommonText::CountUncorrected);
    case 188: return Text(CommonText::CountCommandTimeouts);
    case 197: return Text(CommonText::CountPending);
    case 198: return Text(CommonText::CountUnrecoverable);
    case 199: return Text(CommonText::CountTransferErrors);
    default: return Text(CommonText::CountOther);
    }
}

namespace {

std::string Format(CommonText format, unsigned long long a, unsigned long long b = 0, unsigned long long c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, Text(format), a, b, c);
    return text;
}

std::string FormatCount(CommonText format, std::uint8_t id, unsigned long long a, unsigned long long b = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, Text(format), HealthCountName(id), a, b);
    return text;
}

}  // namespace

const char* HealthWord(std::uint8_t health)
{
    switch (health) {
    case 1: return Text(CommonText::HealthGood);
    case 2: return Text(CommonText::HealthCaution);
    case 3: return Text(CommonText::HealthBad);
    default: return Text(CommonText::HealthUnknown);
    }
}

std::string HealthReasonWords(std::uint8_t kind, std::uint8_t attributeId, std::uint64_t from, std::uint64_t to,
                              std::uint32_t limit)
{
    switch (kind) {
    case 1:  // an attribute at or below its threshold
        return Format(CommonText::ReasonAtThreshold, attributeId, to, limit);
    case 2:  // RETURN STATUS: failing
        return Text(CommonText::ReasonDriveSaysFailing);
    case 3:  // a count above zero
        return FormatCount(CommonText::ReasonCount, attributeId, to);
    case 4:  // a count that rose
        return FormatCount(CommonText::ReasonCountRose, attributeId, from, to);
    case 5:
        return Format(CommonText::ReasonCriticalWarning, to);
    case 6:
        return Format(CommonText::ReasonLifeUsed, to);
    case 7:
        return Format(CommonText::ReasonSpare, to, limit);
    default:
        return std::string();
    }
}
