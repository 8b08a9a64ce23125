// The history file's image, which is also its form in memory: a header and one fixed-size
// slot per drive, each slot three rings of 8-byte buckets and a short list of count
// changes. Plain little-endian fields of fixed width, so KELVIX and kelvixd read each
// other's files; the whole image carries one CRC-32.
#pragma once

#include "history_store.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// One bucket of a tier. Its time is bucket * the tier's seconds; 0 is an empty bucket.
struct HistoryRecord {
    std::uint32_t bucket = 0;
    std::uint8_t temperatureMin = 0;
    std::uint8_t temperatureMean = 0;
    std::uint8_t temperatureMax = 0;
    std::uint8_t flags = 0;  // kRecord* bits; the worst health in the low two bits
};
constexpr std::uint8_t kRecordHealthMask = 0x03;
constexpr std::uint8_t kRecordAsleep = 0x04;       // the drive slept at a measurement
constexpr std::uint8_t kRecordTemperature = 0x08;  // a temperature was read
static_assert(sizeof(HistoryRecord) == 8, "the file's bucket");

// A count that took a new value (or became known) at `minute` (seconds / 60).
struct HistoryChange {
    std::uint32_t minute = 0;
    std::uint32_t field = 0;  // < kHistoryFields
    std::uint64_t value = 0;
};
static_assert(sizeof(HistoryChange) == 16, "the file's count change");

// The sum behind the mean of a tier's newest bucket, so a restart continues the mean.
struct HistoryTierSum {
    std::uint32_t bucket = 0;
    std::uint32_t sum = 0;
    std::uint32_t samples = 0;
};

struct HistoryTier {
    std::int64_t seconds;   // a bucket's length
    std::uint32_t length;   // buckets in the ring
    std::uint32_t start;    // its first record in HistorySlot::records
};
constexpr unsigned kHistoryTiers = 3;
// Minutes for 48 hours, quarter hours for 56 days, days for five years and a day.
constexpr HistoryTier kHistoryTierList[kHistoryTiers] = {
    {60, 2880, 0},
    {900, 5376, 2880},
    {86400, 1827, 2880 + 5376},
};
// Times the store keeps: after 1970 and before the minute count outgrows 32 bits (year 10136).
constexpr std::int64_t kHistoryTimeLimit = std::int64_t(UINT32_MAX) * 60;
constexpr std::uint32_t kHistoryRecords = 2880 + 5376 + 1827;
constexpr unsigned kHistoryChanges = 96;

struct HistorySlot {
    char identity[kHistoryIdentitySize] = {};
    std::int64_t firstTime = 0;
    std::int64_t lastTime = 0;
    std::uint32_t lastDriveNumber = 0;
    std::uint32_t knownFields = 0;  // bit f: values[f] known
    std::uint64_t values[kHistoryFields] = {};
    HistoryTierSum sums[kHistoryTiers];
    std::uint32_t changeCount = 0;  // changes[0..changeCount), oldest first
    HistoryChange changes[kHistoryChanges];
    HistoryRecord records[kHistoryRecords];
};
static_assert(sizeof(HistorySlot) == 82464, "the file's slot: same on every build");

struct HistoryFileHeader {
    char magic[8] = {'K', 'V', 'H', 'I', 'S', 'T', 'O', 'R'};
    std::uint32_t version = 1;
    std::uint32_t slotBytes = sizeof(HistorySlot);
    std::uint32_t slotCount = 0;
    std::uint32_t checksum = 0;  // CRC-32 of the slots that follow
};
static_assert(sizeof(HistoryFileHeader) == 24, "the file's header");

std::uint32_t HistoryCrc32(const void* bytes, std::size_t size, std::uint32_t crc = 0);

// Reads a history file's slots from `file` straight into `slots`, so the file is never held
// twice. Returns why it is no history file of this build (each slot is checked: a named,
// unique identity, counts in range), or null when it is one. A read error leaves `readError`
// set. `slots` holds only what was read when the answer is not null.
const char* ReadHistoryFile(std::FILE* file, std::vector<std::unique_ptr<HistorySlot>>& slots, bool& readError);
