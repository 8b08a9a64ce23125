#include "drive_snapshot.h"

#include "drive_judge.h"
#include "settings.h"

#include <memory>

#include <cstring>
#include <ctime>

namespace {

template <std::size_t Size>
void CopyText(char (&destination)[Size], const char (&source)[Size])
{
    // The table's text need not end inside its field; the copy always does.
    std::memcpy(destination, source, Size - 1);
    destination[Size - 1] = '\0';
}

// Offsets in the NVMe SMART / Health Information log page.
constexpr unsigned kCriticalWarningOffset = 0;
constexpr unsigned kAvailableSpareOffset = 3;
constexpr unsigned kSpareThresholdOffset = 4;
constexpr unsigned kPercentageUsedOffset = 5;
constexpr unsigned kMediaErrorsOffset = 160;

void CopyHealth(const DriveRecord& record, DriveSnapshotEntry& entry)
{
    // A health result is only kept for a read that gave the whole log.
    if (record.kind != DriveKind::Nvme || record.healthResult == nullptr) {
        return;
    }
    const std::uint8_t* health = record.healthResult;
    entry.hasHealth = true;
    entry.criticalWarning = health[kCriticalWarningOffset];
    entry.availableSpare = health[kAvailableSpareOffset];
    entry.availableSpareThreshold = health[kSpareThresholdOffset];
    entry.percentageUsed = health[kPercentageUsedOffset];
    FormatCounter128(health + kMediaErrorsOffset, entry.mediaErrors);
}

// The low 32 bits of an attribute's raw value: drives put counts and hours there and
// vendor fields above them.
std::int64_t RawCount(const DriveRecord& record, std::uint8_t id)
{
    std::uint8_t raw[6] = {};
    if (record.kind != DriveKind::Ata || record.attributeResult == nullptr || !record.device.FindAttribute(id, raw)) {
        return -1;
    }
    return static_cast<std::int64_t>(raw[0]) | static_cast<std::int64_t>(raw[1]) << 8 |
           static_cast<std::int64_t>(raw[2]) << 16 | static_cast<std::int64_t>(raw[3]) << 24;
}

DriveCondition ConditionOf(const DriveRecord& record)
{
    if (record.sleeping != 0) {
        return DriveCondition::Sleeping;  // left asleep by the measurement, not read
    }
    if (record.lastReadFailed != 0) {
        return DriveCondition::ReadFailed;
    }
    return record.currentTemperature != 0 ? DriveCondition::Temperature : DriveCondition::NoTemperature;
}

}  // namespace

DriveSnapshot TakeSnapshot(const DriveState& drives, const Settings& settings)
{
    const auto judge = std::make_unique<DriveJudge>(nullptr);
    judge->Judge(drives, WarningLimitsOf(settings));
    return TakeSnapshot(drives, settings, *judge);
}

DriveSnapshot TakeSnapshot(const DriveState& drives, const Settings& settings, const DriveJudge& judge)
{
    DriveSnapshot snapshot;
    snapshot.taken = true;
    snapshot.measuredAt = static_cast<std::int64_t>(std::time(nullptr));
    snapshot.warningTemperature = settings.ThresholdCurrent;
    const std::uint32_t probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    for (std::uint32_t i = 0; i < probeCount; ++i) {
        const DriveRecord& record = drives.table[i];
        if (record.present == 0) {
            continue;
        }
        DriveSnapshotEntry& entry = snapshot.drives[snapshot.count++];
        entry.driveNumber = i;
        entry.kind = record.kind;
        entry.media = MediaOf(record).media;
        entry.condition = ConditionOf(record);
        entry.temperature = record.currentTemperature;
        entry.worstTemperature = record.worstTemperature;
        CopyText(entry.model, record.model);
        CopyText(entry.firmware, record.firmware);
        CopyText(entry.serial, record.serial);
        CopyText(entry.capacity, record.capacityText);
        entry.identityPending = record.identityPending != 0;
        CopyHealth(record, entry);
        entry.reallocatedSectors = RawCount(record, 5);
        entry.pendingSectors = RawCount(record, 197);
        entry.powerOnHours = RawCount(record, 9);
        entry.verdict = judge.Verdict(i);
    }
    return snapshot;
}
