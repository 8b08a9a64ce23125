#include "drive_snapshot.h"

#include "drive_judge.h"
#include "settings.h"

#include <memory>

#include <cstring>

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
        entry.identityPending = record.identityPending != 0;
        CopyHealth(record, entry);
        entry.verdict = judge.Verdict(i);
    }
    return snapshot;
}
