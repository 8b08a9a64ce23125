// The history of the counts behind a drive's verdict in words, one line per count, such
// as "pending sectors: 0 until 2026-10-01, 8 since 2026-12-01".
#pragma once

#include "history_store.h"

#include <cstdint>
#include <string>
#include <vector>

// One recorded value of a count: a reading or the last value of a bucket that starts at
// `time` (seconds since 1970 UTC).
struct CountReading {
    std::int64_t time = 0;
    std::uint64_t value = 0;
};

// "<name>: <stretches>": each stretch of one value, oldest first; with more than four,
// the first and the last three with an ellipsis between. Times are local (utcOffset
// seconds from UTC), dates alone when the readings cover two days or more, else with the
// minute. Empty without readings.
std::string CountTrendText(const char* name, const std::vector<CountReading>& readings, std::int64_t utcOffset);

// One line per count the drive's points hold: the ATA counts in the verdict's order, then
// the NVMe percentage used, available spare and media errors.
std::vector<std::string> CountTrendLines(const std::vector<HistoryPoint>& points, std::int64_t utcOffset);
