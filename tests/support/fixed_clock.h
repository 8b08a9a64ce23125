// A clock stopped at 5 March 2004, 07:08:09, for exact log bytes (LOGFILE::SetClock).
#pragma once

#include <ctime>

inline std::tm FixedTime()
{
    std::tm t{};
    t.tm_year = 2004 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 8;
    t.tm_sec = 9;
    return t;
}
