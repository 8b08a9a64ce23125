#include "history_store.h"

#include "durable_file.h"
#include "history_layout.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A clock set back by more than this is believed: what was recorded later than the new
// time goes (it was recorded under a wrong clock). Less is jitter, recorded as the last time.
constexpr std::int64_t kClockBackTolerance = 120;
// The mean's sum stops growing here, far above any day of 1-second measurements.
constexpr std::uint32_t kMaxSamples = 1u << 24;

std::uint8_t RecordHealth(const HistoryRecord& record)
{
    return record.flags & kRecordHealthMask;
}

// Of a measurement of one drive: what every tier's bucket takes.
struct Sample {
    bool asleep = false;
    std::uint8_t temperature = 0;  // 0: none read
    std::uint8_t health = 0;
};

Sample SampleOf(const DriveSnapshotEntry& drive)
{
    Sample sample;
    sample.asleep = drive.condition == DriveCondition::Sleeping;
    if (drive.condition == DriveCondition::Temperature)
        sample.temperature = drive.temperature;
    sample.health = static_cast<std::uint8_t>(drive.verdict.health) & kRecordHealthMask;
    return sample;
}

void AddToTier(HistorySlot& slot, unsigned tierIndex, std::int64_t now, const Sample& sample)
{
    const HistoryTier& tier = kHistoryTierList[tierIndex];
    const auto bucket = static_cast<std::uint32_t>(now / tier.seconds);
    HistoryRecord& record = slot.records[tier.start + bucket % tier.length];
    HistoryTierSum& sum = slot.sums[tierIndex];
    if (record.bucket != bucket)
        record = HistoryRecord{bucket, 0, 0, 0, 0};
    if (sum.bucket != bucket) {
        // A new bucket, or one met again after the clock went back: its mean so far counts once.
        sum = HistoryTierSum{bucket, 0, 0};
        if (record.flags & kRecordTemperature) {
            sum.sum = record.temperatureMean;
            sum.samples = 1;
        }
    }
    if (sample.temperature != 0) {
        if (!(record.flags & kRecordTemperature)) {
            record.temperatureMin = sample.temperature;
            record.temperatureMax = sample.temperature;
        }
        record.temperatureMin = std::min(record.temperatureMin, sample.temperature);
        record.temperatureMax = std::max(record.temperatureMax, sample.temperature);
        if (sum.samples < kMaxSamples) {
            sum.sum += sample.temperature;
            ++sum.samples;
        }
        record.temperatureMean = static_cast<std::uint8_t>((sum.sum + sum.samples / 2) / sum.samples);
        record.flags |= kRecordTemperature;
    }
    if (sample.asleep)
        record.flags |= kRecordAsleep;
    if (sample.health > RecordHealth(record))
        record.flags = static_cast<std::uint8_t>((record.flags & ~kRecordHealthMask) | sample.health);
}

std::uint64_t CounterValue(const char* text)
{
    // The counter text is decimal and may exceed 64 bits; such a value stays at the top.
    std::uint64_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return UINT64_MAX;
        value = value * 10 + digit;
    }
    return value;
}

void NoteChange(HistorySlot& slot, std::int64_t now, unsigned field, std::uint64_t value)
{
    const std::uint32_t bit = 1u << field;
    if ((slot.knownFields & bit) && slot.values[field] == value)
        return;
    slot.knownFields |= bit;
    slot.values[field] = value;
    if (slot.changeCount == kHistoryChanges) {
        // Full: the oldest change of the count that changed most often goes, so a
        // flapping count never pushes out the few changes of the others.
        unsigned changes[kHistoryFields] = {};
        for (unsigned i = 0; i < slot.changeCount; ++i)
            ++changes[slot.changes[i].field];
        unsigned busiest = 0;
        for (unsigned f = 1; f < kHistoryFields; ++f) {
            if (changes[f] > changes[busiest])
                busiest = f;
        }
        unsigned drop = 0;
        while (slot.changes[drop].field != busiest)
            ++drop;
        std::memmove(&slot.changes[drop], &slot.changes[drop + 1],
                     (slot.changeCount - drop - 1) * sizeof(HistoryChange));
        --slot.changeCount;
    }
    slot.changes[slot.changeCount++] = HistoryChange{static_cast<std::uint32_t>(now / 60), field, value};
}

void NoteCounts(HistorySlot& slot, const DriveSnapshotEntry& drive, std::int64_t now)
{
    for (unsigned i = 0; i < kAtaCountIds; ++i) {
        if (drive.verdict.countsKnown & (1u << i))
            NoteChange(slot, now, i, drive.verdict.counts[i]);
    }
    if (drive.hasHealth) {
        NoteChange(slot, now, kHistoryPercentageUsed, drive.percentageUsed);
        NoteChange(slot, now, kHistoryAvailableSpare, drive.availableSpare);
        NoteChange(slot, now, kHistoryMediaErrors, CounterValue(drive.mediaErrors));
    }
}

// The clock went back past the slot's last time: what lies later than `now` goes.
void DropAfter(HistorySlot& slot, std::int64_t now)
{
    for (unsigned t = 0; t < kHistoryTiers; ++t) {
        const HistoryTier& tier = kHistoryTierList[t];
        const auto last = static_cast<std::uint32_t>(now / tier.seconds);
        for (std::uint32_t i = 0; i < tier.length; ++i) {
            HistoryRecord& record = slot.records[tier.start + i];
            if (record.bucket > last)
                record = HistoryRecord{};
        }
        if (slot.sums[t].bucket > last)
            slot.sums[t] = HistoryTierSum{};
    }
    const auto lastMinute = static_cast<std::uint32_t>(now / 60);
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < slot.changeCount; ++i) {
        if (slot.changes[i].minute <= lastMinute)
            slot.changes[kept++] = slot.changes[i];
    }
    slot.changeCount = kept;
    slot.lastTime = now;
    if (slot.firstTime > now)
        slot.firstTime = now;
}

HistoryPoint PointOf(const HistoryRecord& record, std::int64_t seconds)
{
    HistoryPoint point;
    point.time = std::int64_t(record.bucket) * seconds;
    point.span = static_cast<std::int32_t>(seconds);
    if (record.flags & kRecordTemperature) {
        point.temperatureMin = record.temperatureMin;
        point.temperatureMean = record.temperatureMean;
        point.temperatureMax = record.temperatureMax;
    } else {
        point.asleep = (record.flags & kRecordAsleep) != 0;
    }
    point.health = static_cast<HealthState>(RecordHealth(record));
    return point;
}

void SetCounts(HistoryPoint& point, const std::uint64_t (&values)[kHistoryFields], std::uint32_t known)
{
    point.countsKnown = static_cast<std::uint8_t>(known & ((1u << kAtaCountIds) - 1));
    for (unsigned i = 0; i < kAtaCountIds; ++i)
        point.counts[i] = values[i];
    const std::uint32_t nvme = (1u << kHistoryPercentageUsed) | (1u << kHistoryAvailableSpare) |
                               (1u << kHistoryMediaErrors);
    point.hasNvme = (known & nvme) == nvme;
    if (point.hasNvme) {
        point.percentageUsed = static_cast<std::uint8_t>(std::min<std::uint64_t>(values[kHistoryPercentageUsed], 255));
        point.availableSpare = static_cast<std::uint8_t>(std::min<std::uint64_t>(values[kHistoryAvailableSpare], 255));
        point.mediaErrors = values[kHistoryMediaErrors];
    }
}

// `later` folded into `into` (one of a group a width of points is merged from).
void Merge(HistoryPoint& into, const HistoryPoint& later, unsigned& withTemperature, unsigned& meanSum)
{
    into.span = static_cast<std::int32_t>(later.time + later.span - into.time);
    if (later.temperatureMax != 0) {
        into.temperatureMin = into.temperatureMax == 0 ? later.temperatureMin
                                                       : std::min(into.temperatureMin, later.temperatureMin);
        into.temperatureMax = std::max(into.temperatureMax, later.temperatureMax);
        meanSum += later.temperatureMean;
        ++withTemperature;
        into.temperatureMean = static_cast<std::uint8_t>((meanSum + withTemperature / 2) / withTemperature);
        into.asleep = false;
    } else if (into.temperatureMax == 0) {
        into.asleep = into.asleep || later.asleep;
    }
    into.health = std::max(into.health, later.health);
    into.countsKnown = later.countsKnown;
    std::memcpy(into.counts, later.counts, sizeof(into.counts));
    into.hasNvme = later.hasNvme;
    into.percentageUsed = later.percentageUsed;
    into.availableSpare = later.availableSpare;
    into.mediaErrors = later.mediaErrors;
}

}  // namespace

HistoryStore::HistoryStore(std::string path, std::function<void(const char*)> log, HistoryAccess access)
    : path_(std::move(path)), log_(std::move(log)), access_(access)
{
    Load();
}

HistoryStore::~HistoryStore() = default;

void HistoryStore::Load()
{
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT)
            return;
        found_ = true;
        trouble_ = std::strerror(errno);
        if (log_) {
            const std::string line = "history: cannot read " + path_ + ": " + trouble_ + "; a new history is started";
            log_(line.c_str());
        }
        return;
    }
    found_ = true;
    bool readError = false;
    const char* why = ReadHistoryFile(file, slots_, readError);
    std::fclose(file);
    if (why == nullptr)
        return;
    slots_.clear();
    if (readError) {
        trouble_ = "read error";
        if (log_) {
            const std::string line = "history: cannot read " + path_ + "; a new history is started";
            log_(line.c_str());
        }
        return;
    }
    trouble_ = why;
    if (access_ == HistoryAccess::ReadWrite)
        SetAside(why);
}

void HistoryStore::SetAside(const char* why)
{
    const std::string aside = path_ + ".bad";
    std::remove(aside.c_str());
    const bool moved = std::rename(path_.c_str(), aside.c_str()) == 0;
    if (!log_)
        return;
    std::string line = "history: " + path_ + " " + why;
    line += moved ? "; kept as " + aside + ", a new history is started"
                  : "; could not be set aside (" + std::string(std::strerror(errno)) +
                        "), a new history replaces it";
    log_(line.c_str());
}

HistorySlot* HistoryStore::SlotFor(const DriveSnapshotEntry& drive, const char* identity,
                                   const DriveSnapshot& snapshot)
{
    for (auto& slot : slots_) {
        if (std::strncmp(slot->identity, identity, kHistoryIdentitySize) == 0)
            return slot.get();
    }
    (void)drive;
    HistorySlot* taken = nullptr;
    if (slots_.size() < kHistorySlots) {
        slots_.emplace_back(new HistorySlot);
        taken = slots_.back().get();
    } else {
        // Full: the drive recorded longest ago and not present now gives way.
        for (auto& slot : slots_) {
            bool present = false;
            for (unsigned i = 0; i < snapshot.count && !present; ++i)
                present = HistoryIdentity(snapshot.drives[i]) == slot->identity;
            if (!present && (taken == nullptr || slot->lastTime < taken->lastTime))
                taken = slot.get();
        }
        if (taken == nullptr)
            return nullptr;
        if (log_) {
            const std::string line = std::string("history: the history of ") + taken->identity +
                                     " gives way to " + identity + " (all drive places taken)";
            log_(line.c_str());
        }
        *taken = HistorySlot{};
    }
    std::snprintf(taken->identity, sizeof(taken->identity), "%s", identity);
    return taken;
}

void HistoryStore::Record(const DriveSnapshot& snapshot, std::int64_t nowSeconds)
{
    if (!snapshot.taken || nowSeconds <= 0 || nowSeconds >= kHistoryTimeLimit)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    for (unsigned i = 0; i < snapshot.count && i < kMaxDrives; ++i) {
        const DriveSnapshotEntry& drive = snapshot.drives[i];
        if (drive.identityPending || (drive.model[0] == '\0' && drive.serial[0] == '\0'))
            continue;  // no identity to keep a history under yet
        const std::string identity = HistoryIdentity(drive);
        HistorySlot* slot = SlotFor(drive, identity.c_str(), snapshot);
        if (slot == nullptr)
            continue;
        std::int64_t now = nowSeconds;
        if (slot->lastTime != 0 && now < slot->lastTime) {
            if (slot->lastTime - now > kClockBackTolerance)
                DropAfter(*slot, now);
            else
                now = slot->lastTime;
        }
        if (slot->firstTime == 0)
            slot->firstTime = now;
        slot->lastTime = now;
        slot->lastDriveNumber = drive.driveNumber;
        const Sample sample = SampleOf(drive);
        for (unsigned t = 0; t < kHistoryTiers; ++t)
            AddToTier(*slot, t, now, sample);
        NoteCounts(*slot, drive, now);
    }
    dirty_ = true;
}

bool HistoryStore::Flush(std::int64_t nowSeconds, std::int64_t minimumGapSeconds)
{
    HistoryFileHeader header;
    std::vector<FilePiece> pieces;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (access_ == HistoryAccess::ReadOnly)
            return false;
        if (!dirty_)
            return true;
        // A clock set back counts as a gap passed, so a wrong clock never stops the writes.
        if (written_ && nowSeconds >= lastFlush_ && nowSeconds - lastFlush_ < minimumGapSeconds)
            return true;
        header.slotCount = static_cast<std::uint32_t>(slots_.size());
        pieces.reserve(slots_.size() + 1);
        pieces.push_back({&header, sizeof(header)});
        for (const auto& slot : slots_) {
            header.checksum = HistoryCrc32(slot.get(), sizeof(HistorySlot), header.checksum);
            pieces.push_back({slot.get(), sizeof(HistorySlot)});
        }
        dirty_ = false;
        written_ = true;
        lastFlush_ = nowSeconds;
    }
    // Written from the slots themselves, not a copy (a copy would double the store's memory).
    // Only the main thread records and flushes, so no slot changes or goes while they are written.
    const bool ok = ReplaceFileDurably(path_.c_str(), pieces.data(), pieces.size());
    const int error = errno;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ok)
        dirty_ = true;
    if (ok == failing_ && log_) {
        const std::string line = ok ? "history: " + path_ + " is written again"
                                    : "history: cannot write " + path_ + ": " + std::strerror(error) +
                                          "; the history is kept in memory and written again later";
        log_(line.c_str());
    }
    failing_ = !ok;
    return ok;
}

std::vector<HistoryPoint> HistoryStore::Points(const char* identity, std::int64_t from, std::int64_t to,
                                               unsigned maxPoints) const
{
    std::vector<HistoryPoint> points;
    from = std::max<std::int64_t>(from, 0);
    to = std::min(to, kHistoryTimeLimit);
    if (identity == nullptr || to < from)
        return points;
    std::lock_guard<std::mutex> lock(mutex_);
    const HistorySlot* slot = nullptr;
    for (const auto& candidate : slots_) {
        if (std::strncmp(candidate->identity, identity, kHistoryIdentitySize) == 0)
            slot = candidate.get();
    }
    if (slot == nullptr || slot->lastTime == 0)
        return points;
    // The finest tier that still holds the start of what is asked (or the drive's start).
    unsigned chosen = kHistoryTiers - 1;
    for (unsigned t = 0; t < kHistoryTiers; ++t) {
        const HistoryTier& tier = kHistoryTierList[t];
        const std::int64_t kept = (slot->lastTime / tier.seconds - tier.length + 1) * tier.seconds;
        if (std::max(from, slot->firstTime) >= kept) {
            chosen = t;
            break;
        }
    }
    const HistoryTier& tier = kHistoryTierList[chosen];
    const std::int64_t firstBucket = from / tier.seconds;
    for (std::uint32_t i = 0; i < tier.length; ++i) {
        const HistoryRecord& record = slot->records[tier.start + i];
        if (record.bucket != 0 && record.bucket >= firstBucket && std::int64_t(record.bucket) * tier.seconds <= to)
            points.push_back(PointOf(record, tier.seconds));
    }
    std::sort(points.begin(), points.end(),
              [](const HistoryPoint& a, const HistoryPoint& b) { return a.time < b.time; });
    // Each point's counts: the last change before its end.
    std::uint64_t values[kHistoryFields] = {};
    std::uint32_t known = 0;
    std::uint32_t next = 0;
    for (HistoryPoint& point : points) {
        const std::int64_t end = point.time + point.span;
        while (next < slot->changeCount && std::int64_t(slot->changes[next].minute) * 60 < end) {
            values[slot->changes[next].field] = slot->changes[next].value;
            known |= 1u << slot->changes[next].field;
            ++next;
        }
        SetCounts(point, values, known);
    }
    if (maxPoints == 0 || points.size() <= maxPoints)
        return points;
    // Too many for the width: merged into groups of equal time, at most maxPoints.
    const std::int64_t whole = to - from + 1;
    std::int64_t width = (whole + maxPoints - 1) / maxPoints;
    width = (width + tier.seconds - 1) / tier.seconds * tier.seconds;
    const std::int64_t origin = firstBucket * tier.seconds;
    std::vector<HistoryPoint> merged;
    std::int64_t group = -1;
    unsigned withTemperature = 0, meanSum = 0;
    for (const HistoryPoint& point : points) {
        const std::int64_t mine = (point.time - origin) / width;
        if (mine != group) {
            group = mine;
            merged.push_back(point);
            withTemperature = point.temperatureMax != 0 ? 1 : 0;
            meanSum = point.temperatureMean;
        } else {
            Merge(merged.back(), point, withTemperature, meanSum);
        }
    }
    return merged;
}

std::vector<HistoryDrive> HistoryStore::Drives() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<HistoryDrive> drives;
    for (const auto& slot : slots_) {
        HistoryDrive drive;
        std::memcpy(drive.identity, slot->identity, sizeof(drive.identity));
        drive.firstTime = slot->firstTime;
        drive.lastTime = slot->lastTime;
        drive.lastDriveNumber = slot->lastDriveNumber;
        drives.push_back(drive);
    }
    return drives;
}

std::size_t HistoryStore::FileBytes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sizeof(HistoryFileHeader) + slots_.size() * sizeof(HistorySlot);
}

std::size_t HistoryStore::MemoryBytes() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sizeof(*this) + slots_.capacity() * sizeof(slots_[0]) + slots_.size() * sizeof(HistorySlot);
}
