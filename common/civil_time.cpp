#include "civil_time.h"

#include <cstdio>
#include <ctime>

// After H. Hinnant's well-known days-from-civil algorithms: eras of 400 years.
void CivilFromDays(std::int64_t days, int& year, unsigned& month, unsigned& day)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthPart = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthPart + 2) / 5 + 1;
    month = monthPart < 10 ? monthPart + 3 : monthPart - 9;
    year = static_cast<int>(static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0));
}

std::int64_t DaysFromCivil(int year, unsigned month, unsigned day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

std::string UtcIsoText(std::int64_t secondsSince1970)
{
    std::int64_t days = secondsSince1970 / 86400;
    std::int64_t rest = secondsSince1970 % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days, year, month, day);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02u:%02u:%02uZ", year, month, day,
                  static_cast<unsigned>(rest / 3600), static_cast<unsigned>(rest / 60 % 60),
                  static_cast<unsigned>(rest % 60));
    return text;
}

std::string LocalClockText(std::int64_t secondsSince1970)
{
    char clock[8] = "--:--";
    const std::time_t when = static_cast<std::time_t>(secondsSince1970);
    const std::tm* local = secondsSince1970 != 0 ? std::localtime(&when) : nullptr;
    if (local != nullptr) {
        std::snprintf(clock, sizeof clock, "%02d:%02d", local->tm_hour % 24, local->tm_min % 60);
    }
    return clock;
}

std::int64_t LocalUtcOffset(std::int64_t secondsSince1970)
{
    const std::time_t when = static_cast<std::time_t>(secondsSince1970);
    const std::tm* found = std::localtime(&when);
    if (found == nullptr) {
        return 0;
    }
    std::tm local = *found;
    found = std::gmtime(&when);
    if (found == nullptr) {
        return 0;
    }
    std::tm utc = *found;
    // Both read as standard time: the difference is then the whole offset, daylight
    // saving included in the local fields.
    local.tm_isdst = 0;
    utc.tm_isdst = 0;
    return static_cast<std::int64_t>(std::difftime(std::mktime(&local), std::mktime(&utc)));
}
