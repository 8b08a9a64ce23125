// Calendar dates of the seconds since 1970 in UTC, without the C library's time zone state
// or gmtime's buffer (shared between threads on some systems).
#pragma once

#include <cstdint>
#include <string>

// The civil date (proleptic Gregorian) of a day count since 1970-01-01.
void CivilFromDays(std::int64_t days, int& year, unsigned& month, unsigned& day);
// The day count since 1970-01-01 of a civil date.
std::int64_t DaysFromCivil(int year, unsigned month, unsigned day);
// "2026-12-09T22:15:00Z".
std::string UtcIsoText(std::int64_t secondsSince1970);
// "12:34": the local clock time of the seconds since 1970, "--:--" for 0. Callers word
// drives on one thread only (localtime's shared buffer).
std::string LocalClockText(std::int64_t secondsSince1970);
// Seconds the local clock is ahead of UTC at that time (its daylight saving included),
// for charts that label their hours in local time. One thread only, as above.
std::int64_t LocalUtcOffset(std::int64_t secondsSince1970);
