// HistoryStore: the past of every drive, kept per drive identity in three tiers of fixed
// rings (minutes for 48 hours, quarter hours for 56 days, days for 5 years) and a ring of
// count changes, so the file never outgrows its cap whatever the measurement interval.
// Recording is in memory; Flush writes the whole image through a durable replace at most
// once a minute, so a kill or power cut loses at most the minutes since the last flush.
#pragma once

#include "drive_snapshot.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

enum class HistoryRange : std::uint8_t { Hour, Day, Week, Month, Year };
constexpr unsigned kHistoryRanges = 5;
// Seconds a range spans; the name used in URLs and menus' machine form ("hour".."year").
std::int64_t HistoryRangeSeconds(HistoryRange range);
const char* HistoryRangeName(HistoryRange range);
bool ParseHistoryRange(const char* text, HistoryRange& range);

// The NVMe fields kept beside the ATA counts, as slots after kAtaCountIds.
constexpr unsigned kHistoryPercentageUsed = kAtaCountIds;
constexpr unsigned kHistoryAvailableSpare = kAtaCountIds + 1;
constexpr unsigned kHistoryMediaErrors = kAtaCountIds + 2;
constexpr unsigned kHistoryFields = kAtaCountIds + 3;

// One point of a drive's history: one bucket of a tier (min/mean/max over it). A point
// with temperatureMax == 0 and asleep false had no temperature; an `asleep` point is a
// gap in a chart (never a repeated value). Buckets nothing was recorded in have no point.
struct HistoryPoint {
    std::int64_t time = 0;            // seconds since 1970 UTC: the bucket's start
    std::int32_t span = 0;            // seconds the point covers (60 in the finest tier)
    std::uint8_t temperatureMin = 0;  // degrees C, 0 = none
    std::uint8_t temperatureMean = 0;
    std::uint8_t temperatureMax = 0;
    bool asleep = false;
    HealthState health = HealthState::Unknown;   // the worst in the bucket
    std::uint8_t countsKnown = 0;                 // bit i: counts[i] (kAtaCountIdList[i]) known
    std::uint64_t counts[kAtaCountIds] = {};      // the last value in the bucket
    bool hasNvme = false;                         // NVMe fields below known
    std::uint8_t percentageUsed = 0;
    std::uint8_t availableSpare = 0;
    std::uint64_t mediaErrors = 0;
};

constexpr unsigned kHistoryIdentitySize = 128;

// One drive the store knows (present or removed).
struct HistoryDrive {
    char identity[kHistoryIdentitySize] = {};   // "model:firmware:serial", as worst values use
    std::int64_t firstTime = 0, lastTime = 0;
    unsigned lastDriveNumber = 0;                // the drive number it had when last recorded
};

// Drive slots: every present drive plus this many removed ones; when all are taken the
// drive recorded longest ago gives its slot to a new one.
constexpr unsigned kHistoryRemovedSlots = 8;
constexpr unsigned kHistorySlots = kMaxDrives + kHistoryRemovedSlots;

struct HistorySlot;

// ReadOnly: for a reader beside the program that writes (an export): a bad file is told
// through Trouble() and left where it is, and Flush writes nothing.
enum class HistoryAccess : std::uint8_t { ReadWrite, ReadOnly };

class HistoryStore {
public:
    // `path`: the file (KELVIX: KELVIX.HIS beside the INI; kelvixd: <state dir>/history).
    // Opening reads it; a corrupt/truncated/foreign file is set aside (renamed to
    // `path`.bad) with a line through `log` and a new one started.
    explicit HistoryStore(std::string path, std::function<void(const char*)> log = {},
                          HistoryAccess access = HistoryAccess::ReadWrite);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // One measurement of every present drive; cheap, in memory only.
    void Record(const DriveSnapshot& snapshot, std::int64_t nowSeconds);
    // Writes what changed if at least `minimumGapSeconds` passed since the last write
    // (the timer calls it every minute; exit calls it with 0). False on a write failure.
    bool Flush(std::int64_t nowSeconds, std::int64_t minimumGapSeconds = 60);
    // Points of one drive from `from` to `to`, from the finest tier that covers the span
    // and gives at most `maxPoints` points (more are merged down to `maxPoints`; 0: no
    // limit). Oldest first. Thread-safe against Record (the export server's threads call it).
    std::vector<HistoryPoint> Points(const char* identity, std::int64_t from, std::int64_t to,
                                     unsigned maxPoints) const;
    std::vector<HistoryDrive> Drives() const;

    // The bytes the file holds after the next flush (the cap's measure).
    std::size_t FileBytes() const;
    // The bytes the store holds in memory.
    std::size_t MemoryBytes() const;
    const std::string& Path() const { return path_; }
    // Whether the file was there when opened, and why it could not be read ("" if it was).
    bool Found() const { return found_; }
    const std::string& Trouble() const { return trouble_; }

private:
    void Load();
    void SetAside(const char* why);
    HistorySlot* SlotFor(const DriveSnapshotEntry& drive, const char* identity,
                         const DriveSnapshot& snapshot);

    std::string path_;
    std::function<void(const char*)> log_;
    HistoryAccess access_;
    bool found_ = false;
    std::string trouble_;
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<HistorySlot>> slots_;
    bool dirty_ = false;
    bool written_ = false;          // a flush happened since opening
    std::int64_t lastFlush_ = 0;
    bool failing_ = false;          // the last write failed (told once)
};

// The identity a snapshot entry's history is kept under ("model:firmware:serial").
std::string HistoryIdentity(const DriveSnapshotEntry& drive);
// CSV of one drive's points, for spreadsheets (header row, ISO 8601 UTC times).
std::string HistoryCsv(const std::vector<HistoryPoint>& points);
// "2026-12-09T22:15:00Z".
std::string HistoryTimeText(std::int64_t seconds);
