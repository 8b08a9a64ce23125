#include "drive_judge.h"

#include "drive_database.h"
#include "drive_enumeration.h"
#include "worst_temperatures.h"

#include <cstring>

namespace {

const DriveVerdict kNoVerdict{};

CountLayout LayoutOf(const DriveRecord& record)
{
    CountLayout layout;
    const DriveDatabase::Entry* entry = TheDriveDatabase().FindEntry(record.model);
    if (entry != nullptr) {
        ApplyCountOverrides(entry->afterKey.String(), layout);
    }
    return layout;
}

}  // namespace

const DriveVerdict& DriveJudge::Verdict(unsigned number) const
{
    return number < kMaxDrives ? slots_[number].verdict : kNoVerdict;
}

void DriveJudge::AcceptCaution(unsigned number)
{
    if (number < kMaxDrives) {
        slots_[number].accept = true;
    }
}

void DriveJudge::Forget()
{
    for (Slot& slot : slots_) {
        slot = Slot();
    }
}

void DriveJudge::JudgeHealth(const DriveRecord& record, Slot& slot, VerdictChanges& changes, unsigned number)
{
    char key[kWorstKeySize];
    FormatWorstKey(record, key);
    if (!slot.loaded || std::strcmp(key, slot.key) != 0) {
        // A new drive in this slot: its own baseline.
        slot.baseline = HealthBaseline();
        if (store_ != nullptr) {
            store_->Load(key, slot.baseline);
        }
        FormatBaseline(slot.baseline, slot.saved, sizeof slot.saved);
        std::memcpy(slot.key, key, sizeof slot.key);
        slot.loaded = true;
    }
    if (slot.accept) {
        AcceptCounts(slot.baseline);
        slot.accept = false;
    }
    DriveVerdict& verdict = slot.verdict;
    bool rose = false;
    switch (record.kind) {
    case DriveKind::Ata: {
        if (record.attributeResult == nullptr) {
            return;
        }
        AtaReading reading;
        reading.attributes = record.attributeResult;
        reading.thresholds = record.thresholdResult;
        reading.returnStatus = record.returnStatus;
        reading.layout = LayoutOf(record);
        reading.sectors = record.identifyResult != nullptr ? SectorCount(record.identifyResult) : 0;
        reading.selfTests = &record.selfTests;
        rose = JudgeAta(reading, slot.baseline, verdict);
        break;
    }
    case DriveKind::Nvme:
        if (record.healthResult == nullptr) {
            return;
        }
        rose = JudgeNvme(record.healthResult, slot.baseline, verdict, &record.selfTests);
        break;
    case DriveKind::Property:
        return;  // the temperature property tells nothing of health
    }
    const HealthState before = slot.baseline.reported;
    const bool worse = verdict.health > before && verdict.health != HealthState::Good;
    const bool recovered = verdict.health < before && before > HealthState::Good;
    const bool roseAgain = rose && verdict.health == before && before >= HealthState::Caution;
    if ((worse || recovered || roseAgain) && changes.count < kMaxDrives) {
        VerdictChange& change = changes.items[changes.count++];
        change.driveNumber = number;
        change.from = before;
        change.worse = !recovered;
        change.verdict = verdict;
    }
    slot.baseline.reported = verdict.health;
    // A good drive with no counts has nothing to remember: its settings file is left
    // as it was (a file the user keeps read-only or hand-made stays untouched).
    bool anyCount = false;
    for (const CountBaseline& count : slot.baseline.counts) {
        anyCount = anyCount || count.known;
    }
    const bool worthKeeping = anyCount || verdict.health > HealthState::Good || std::strcmp(slot.saved, "unknown") != 0;
    char text[sizeof slot.saved];
    FormatBaseline(slot.baseline, text, sizeof text);
    if (worthKeeping && std::strcmp(text, slot.saved) != 0) {
        std::memcpy(slot.saved, text, sizeof slot.saved);
        if (store_ != nullptr) {
            store_->Save(slot.key, slot.baseline);
        }
    }
}

VerdictChanges DriveJudge::Judge(const DriveState& drives, const WarningLimits& limits, std::int64_t now)
{
    VerdictChanges changes;
    const unsigned probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    for (unsigned number = 0; number < kMaxDrives; ++number) {
        Slot& slot = slots_[number];
        const DriveRecord& record = drives.table[number];
        if (number >= probeCount || record.present == 0) {
            slot.verdict = DriveVerdict();
            slot.hot = false;
            continue;
        }
        DriveVerdict& verdict = slot.verdict;
        const unsigned limit = DriveWarningTemperature(record, limits);
        verdict.warningTemperature = static_cast<std::uint8_t>(limit < 255 ? limit : 255);
        const bool asleep = record.sleeping != 0;
        if (!asleep && record.lastReadFailed == 0) {
            slot.hot = NextHot(slot.hot, record.currentTemperature, limit);
        }
        const bool lost = !asleep && record.lastReadFailed != 0;
        if (!lost) {
            verdict.notAnsweringSince = 0;
        } else if (verdict.temperature != TemperatureState::NotAnswering) {
            verdict.notAnsweringSince = now;
        }
        if (lost) {
            verdict.temperature = TemperatureState::NotAnswering;
        } else if (record.currentTemperature == 0) {
            verdict.temperature = TemperatureState::Unknown;
        } else {
            verdict.temperature = slot.hot && !asleep ? TemperatureState::Hot : TemperatureState::Normal;
        }
        if (!asleep && record.lastReadFailed == 0) {
            JudgeHealth(record, slot, changes, number);
        }
    }
    return changes;
}
