// The store's texts: range names, the drive identity, times and the CSV export.
#include "history_store.h"

#include "civil_time.h"

#include <cstdio>
#include <cstring>

namespace {

struct RangeEntry {
    HistoryRange range;
    const char* name;
    std::int64_t seconds;
};
const RangeEntry kRanges[kHistoryRanges] = {
    {HistoryRange::Hour, "hour", 3600},
    {HistoryRange::Day, "day", 86400},
    {HistoryRange::Week, "week", 7 * 86400},
    {HistoryRange::Month, "month", 30 * 86400},
    {HistoryRange::Year, "year", 365 * 86400},
};

const RangeEntry& EntryOf(HistoryRange range)
{
    for (const RangeEntry& entry : kRanges) {
        if (entry.range == range)
            return entry;
    }
    return kRanges[0];
}

const char* HealthName(HealthState health)
{
    switch (health) {
    case HealthState::Good: return "good";
    case HealthState::Caution: return "caution";
    case HealthState::Bad: return "bad";
    default: return "";
    }
}

}  // namespace

std::int64_t HistoryRangeSeconds(HistoryRange range)
{
    return EntryOf(range).seconds;
}

const char* HistoryRangeName(HistoryRange range)
{
    return EntryOf(range).name;
}

bool ParseHistoryRange(const char* text, HistoryRange& range)
{
    if (text == nullptr)
        return false;
    for (const RangeEntry& entry : kRanges) {
        if (std::strcmp(text, entry.name) == 0) {
            range = entry.range;
            return true;
        }
    }
    return false;
}

std::string HistoryIdentity(const DriveSnapshotEntry& drive)
{
    char identity[kHistoryIdentitySize];
    std::snprintf(identity, sizeof(identity), "%s:%s:%s", drive.model, drive.firmware, drive.serial);
    return identity;
}

std::string HistoryTimeText(std::int64_t seconds)
{
    return UtcIsoText(seconds);
}

std::string HistoryCsv(const std::vector<HistoryPoint>& points)
{
    std::string csv = "time,seconds,temperature_min,temperature_mean,temperature_max,asleep,health";
    for (unsigned i = 0; i < kAtaCountIds; ++i)
        csv += ",attribute_" + std::to_string(kAtaCountIdList[i]);
    csv += ",percentage_used,available_spare,media_errors\n";
    for (const HistoryPoint& point : points) {
        csv += HistoryTimeText(point.time) + "," + std::to_string(point.span);
        if (point.temperatureMax != 0) {
            csv += "," + std::to_string(point.temperatureMin) + "," + std::to_string(point.temperatureMean) + "," +
                   std::to_string(point.temperatureMax);
        } else {
            csv += ",,,";
        }
        csv += point.asleep ? ",yes," : ",no,";
        csv += HealthName(point.health);
        for (unsigned i = 0; i < kAtaCountIds; ++i) {
            csv += ",";
            if (point.countsKnown & (1u << i))
                csv += std::to_string(point.counts[i]);
        }
        if (point.hasNvme) {
            csv += "," + std::to_string(point.percentageUsed) + "," + std::to_string(point.availableSpare) + "," +
                   std::to_string(point.mediaErrors);
        } else {
            csv += ",,,";
        }
        csv += "\n";
    }
    return csv;
}
