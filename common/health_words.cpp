#include "health_words.h"

#include "common_texts.h"

#include <cstdio>

namespace {

// The counts by the names the S.M.A.R.T. viewer's users know them by.
const char* CountNameOf(std::uint8_t id, Language language)
{
    switch (id) {
    case 0: return Text(CommonText::CountMediaErrors, language);
    case 5: return Text(CommonText::CountReallocated, language);
    case 187: return Text(CommonText::CountUncorrected, language);
    case 188: return Text(CommonText::CountCommandTimeouts, language);
    case 197: return Text(CommonText::CountPending, language);
    case 198: return Text(CommonText::CountUnrecoverable, language);
    case 199: return Text(CommonText::CountTransferErrors, language);
    default: return Text(CommonText::CountOther, language);
    }
}

std::string Format(Language language, CommonText format, unsigned long long a, unsigned long long b = 0,
                   unsigned long long c = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, Text(format, language), a, b, c);
    return text;
}

std::string FormatCount(Language language, CommonText format, std::uint8_t id, unsigned long long a,
                        unsigned long long b = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, Text(format, language), CountNameOf(id, language), a, b);
    return text;
}

}  // namespace

const char* HealthWord(std::uint8_t health)
{
    return HealthWord(health, ProgramLanguage());
}

std::string HealthReasonWords(std::uint8_t kind, std::uint8_t attributeId, std::uint64_t from, std::uint64_t to,
                              std::uint32_t limit)
{
    return HealthReasonWords(kind, attributeId, from, to, limit, ProgramLanguage());
}

const char* HealthWord(std::uint8_t health, Language language)
{
    switch (health) {
    case 1: return Text(CommonText::HealthGood, language);
    case 2: return Text(CommonText::HealthCaution, language);
    case 3: return Text(CommonText::HealthBad, language);
    default: return Text(CommonText::HealthUnknown, language);
    }
}

std::string HealthReasonWords(std::uint8_t kind, std::uint8_t attributeId, std::uint64_t from, std::uint64_t to,
                              std::uint32_t limit, Language language)
{
    switch (kind) {
    case 1:  // an attribute at or below its threshold
        return Format(language, CommonText::ReasonAtThreshold, attributeId, to, limit);
    case 2:  // RETURN STATUS: failing
        return Text(CommonText::ReasonDriveSaysFailing, language);
    case 3:  // a count above zero
        return FormatCount(language, CommonText::ReasonCount, attributeId, to);
    case 4:  // a count that rose
        return FormatCount(language, CommonText::ReasonCountRose, attributeId, from, to);
    case 5:
        return Format(language, CommonText::ReasonCriticalWarning, to);
    case 6:
        return Format(language, CommonText::ReasonLifeUsed, to);
    case 7:
        return Format(language, CommonText::ReasonSpare, to, limit);
    case 8:  // a raw value that cannot be a count: noted, not judged
        return Format(language, CommonText::ReasonNotACount, attributeId);
    case 9:  // the newest completed self-test failed; limit bit 8: the LBA is known
        return (limit & 0x100) != 0 ? Format(language, CommonText::ReasonSelfTestFailedAt, from, to)
                                    : Format(language, CommonText::ReasonSelfTestFailed, from);
    default:
        return std::string();
    }
}

const char* CountName(std::uint8_t id, Language language)
{
    return CountNameOf(id, language);
}

const char* HealthCountName(std::uint8_t id)
{
    return CountNameOf(id, ProgramLanguage());
}
