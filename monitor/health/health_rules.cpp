#include "health_rules.h"

#include "smart_records.h"

#include <cstdlib>
#include <cstring>

namespace {

// ATA attribute flags bit 0: a pre-failure attribute (its threshold means the drive is
// about to fail); otherwise an old-age one (worn past its rating).
constexpr std::uint8_t kPreFailureFlag = 0x01;
// Normalised values and thresholds from 1 to 253 are real; 0 and 254-255 mean "not
// valid", "always passing" or "always failing" by vendor, never a judgement here.
constexpr unsigned kHighestNormalised = 253;

// NVMe health log.
constexpr unsigned kCriticalWarningOffset = 0;
constexpr unsigned kAvailableSpareOffset = 3;
constexpr unsigned kSpareThresholdOffset = 4;
constexpr unsigned kPercentageUsedOffset = 5;
constexpr unsigned kMediaErrorsOffset = 160;
// Spare below threshold, temperature, reliability degraded, read-only, volatile backup.
constexpr std::uint8_t kCriticalBits = 0x1F;
constexpr unsigned kLifeUsedBad = 100;
constexpr unsigned kLifeUsedCaution = 90;
constexpr unsigned kSpareMargin = 10;

bool CountsAboveZero(std::uint8_t id)
{
    return id == 5 || id == 197 || id == 198;
}

const std::uint8_t* FindEntry(const std::uint8_t* table, std::uint8_t id)
{
    if (table == nullptr || id == 0) {
        return nullptr;
    }
    for (unsigned i = 0; i < kSmartEntryCount; ++i) {
        const std::uint8_t* entry = table + i * kSmartEntrySize;
        if (entry[0] == id) {
            return entry;
        }
    }
    return nullptr;
}

std::uint64_t LowBytes(const std::uint8_t* raw, unsigned bytes)
{
    std::uint64_t value = 0;
    for (unsigned i = bytes; i > 0; --i) {
        value = (value << 8) | raw[i - 1];
    }
    return value;
}

HealthReason Reason(HealthReasonKind kind, HealthState severity, std::uint8_t id, std::uint64_t from,
                    std::uint64_t to, std::uint32_t limit)
{
    HealthReason reason;
    reason.kind = kind;
    reason.severity = severity;
    reason.attributeId = id;
    reason.from = from;
    reason.to = to;
    reason.limit = limit;
    return reason;
}

// One count of this reading; returns whether it rose now.
bool JudgeCount(unsigned slot, std::uint64_t value, HealthBaseline& baseline, DriveVerdict& verdict)
{
    CountBaseline& count = baseline.counts[slot];
    const std::uint8_t id = kCountIds[slot];
    const bool roseNow = count.known && value > count.last;
    if (roseNow && !count.rising) {
        count.rising = true;
        count.since = count.last;
    }
    if (count.rising && value <= count.since) {
        count.rising = false;  // the drive reset its count
    }
    if (count.accepted && value < count.acceptedAt) {
        count.acceptedAt = value;
    }
    count.known = true;
    count.last = value;
    const bool silenced = count.accepted && value <= count.acceptedAt;
    if (silenced) {
        count.rising = false;
        return false;
    }
    if (count.rising) {
        AddReason(verdict, Reason(HealthReasonKind::CountIncreased, HealthState::Caution, id, count.since, value, 0));
    } else if (CountsAboveZero(id) && value > 0) {
        AddReason(verdict, Reason(HealthReasonKind::CountAboveZero, HealthState::Caution, id, 0, value, 0));
    }
    return roseNow;
}

// A note, not a judgement: the count is left out of the verdict and the baseline.
void NoteNotACount(std::uint8_t id, std::uint64_t value, const CountBaseline& last, DriveVerdict& verdict)
{
    AddReason(verdict, Reason(HealthReasonKind::CountNotACount, HealthState::Good, id, last.known ? last.last : 0,
                              value, 0));
}

void StartVerdict(DriveVerdict& verdict)
{
    verdict.health = HealthState::Good;
    verdict.reasonCount = 0;
    verdict.countsKnown = 0;
    for (HealthReason& reason : verdict.reasons) {
        reason = HealthReason();
    }
}

}  // namespace

bool CountCannotBe(std::uint8_t id, std::uint64_t value, const CountBaseline& last, std::uint64_t sectors)
{
    if (sectors != 0) {
        const std::uint64_t bound = id == 5 ? sectors / kSpareShare : sectors;
        if (value > bound) {
            return true;
        }
    }
    return last.known && value > last.last && value - last.last >= kImplausibleRise;
}

void ApplyCountOverrides(const char* valueText, CountLayout& layout)
{
    const char* cursor = valueText != nullptr ? std::strstr(valueText, "counts=") : nullptr;
    if (cursor == nullptr) {
        return;
    }
    cursor += std::strlen("counts=");
    for (;;) {
        char* end = nullptr;
        const unsigned long id = std::strtoul(cursor, &end, 10);
        if (end == cursor || *end != ':') {
            return;
        }
        cursor = end + 1;
        const unsigned long bytes = std::strtoul(cursor, &end, 10);
        if (end == cursor) {
            return;
        }
        const unsigned slot = id <= 255 ? CountSlotOf(static_cast<std::uint8_t>(id)) : kCountSlots;
        if (slot < kNvmeMediaSlot && bytes <= kSmartRawSize) {
            layout.bytes[slot] = static_cast<std::uint8_t>(bytes);
        }
        cursor = end;
        if (*cursor != ',') {
            return;
        }
        ++cursor;
    }
}

void AddReason(DriveVerdict& verdict, const HealthReason& reason)
{
    if (reason.severity > verdict.health || verdict.health == HealthState::Unknown) {
        verdict.health = reason.severity;
    }
    unsigned at = verdict.reasonCount;
    while (at > 0 && verdict.reasons[at - 1].severity < reason.severity) {
        --at;
    }
    if (at >= kMaxHealthReasons) {
        return;
    }
    const unsigned last = verdict.reasonCount < kMaxHealthReasons ? verdict.reasonCount : kMaxHealthReasons - 1;
    for (unsigned i = last; i > at; --i) {
        verdict.reasons[i] = verdict.reasons[i - 1];
    }
    verdict.reasons[at] = reason;
    if (verdict.reasonCount < kMaxHealthReasons) {
        ++verdict.reasonCount;
    }
}

void JudgeSelfTests(const SelfTestLog* log, DriveVerdict& verdict)
{
    const SelfTestEntry* newest = log != nullptr ? NewestCompletedTest(*log) : nullptr;
    if (newest == nullptr || !SelfTestFailed(newest->outcome)) {
        return;
    }
    const std::uint32_t how =
        static_cast<std::uint32_t>(newest->outcome) | (newest->lbaKnown ? kSelfTestLbaKnown : 0u);
    AddReason(verdict, Reason(HealthReasonKind::SelfTestFailed, HealthState::Bad, 0, newest->powerOnHours,
                              newest->firstFailingLba, how));
}

bool JudgeAta(const AtaReading& reading, HealthBaseline& baseline, DriveVerdict& verdict)
{
    StartVerdict(verdict);
    JudgeSelfTests(reading.selfTests, verdict);
    if (reading.returnStatus == ReturnStatus::Failing) {
        AddReason(verdict, Reason(HealthReasonKind::DriveSaysFailing, HealthState::Bad, 0, 0, 0, 0));
    }
    if (reading.attributes == nullptr) {
        return false;
    }
    for (unsigned i = 0; i < kSmartEntryCount; ++i) {
        const std::uint8_t* entry = reading.attributes + i * kSmartEntrySize;
        const std::uint8_t id = entry[0];
        const std::uint8_t* limit = FindEntry(reading.thresholds, id);
        if (limit == nullptr) {
            continue;
        }
        const unsigned value = entry[3];
        const unsigned threshold = limit[1];
        if (threshold == 0 || threshold > kHighestNormalised || value == 0 || value > kHighestNormalised ||
            value > threshold) {
            continue;
        }
        const std::uint16_t flags = static_cast<std::uint16_t>(entry[1] | (entry[2] << 8));
        const HealthState severity = (flags & kPreFailureFlag) != 0 ? HealthState::Bad : HealthState::Caution;
        AddReason(verdict, Reason(HealthReasonKind::AttributeAtThreshold, severity, id, 0, value, threshold));
    }
    bool rose = false;
    for (unsigned slot = 0; slot < kNvmeMediaSlot; ++slot) {
        const std::uint8_t* entry = FindEntry(reading.attributes, kCountIds[slot]);
        const unsigned bytes = reading.layout.bytes[slot];
        if (entry == nullptr || bytes == 0) {
            continue;
        }
        const std::uint64_t count = LowBytes(entry + kSmartRawOffset, bytes);
        if (CountCannotBe(kCountIds[slot], count, baseline.counts[slot], reading.sectors)) {
            NoteNotACount(kCountIds[slot], count, baseline.counts[slot], verdict);
            continue;
        }
        verdict.countsKnown = static_cast<std::uint8_t>(verdict.countsKnown | (1u << slot));
        verdict.counts[slot] = count;
        rose = JudgeCount(slot, count, baseline, verdict) || rose;
    }
    return rose;
}

bool JudgeNvme(const std::uint8_t* log, HealthBaseline& baseline, DriveVerdict& verdict,
               const SelfTestLog* selfTests)
{
    StartVerdict(verdict);
    if (log == nullptr) {
        return false;
    }
    JudgeSelfTests(selfTests, verdict);
    const unsigned critical = log[kCriticalWarningOffset] & kCriticalBits;
    if (critical != 0) {
        AddReason(verdict, Reason(HealthReasonKind::NvmeCriticalWarning, HealthState::Bad, 0, 0, critical, 0));
    }
    const unsigned used = log[kPercentageUsedOffset];
    if (used >= kLifeUsedCaution) {
        const HealthState severity = used >= kLifeUsedBad ? HealthState::Bad : HealthState::Caution;
        AddReason(verdict, Reason(HealthReasonKind::NvmePercentageUsed, severity, 0, 0, used, kLifeUsedBad));
    }
    const unsigned spare = log[kAvailableSpareOffset];
    const unsigned spareThreshold = log[kSpareThresholdOffset];
    if (spare <= 100 && spareThreshold > 0 && spareThreshold <= 100 && spare <= spareThreshold + kSpareMargin) {
        // At or below its threshold the drive raises critical warning bit 0 itself.
        AddReason(verdict, Reason(HealthReasonKind::NvmeSpareLow, HealthState::Caution, 0, 0, spare, spareThreshold));
    }
    // A 128-bit counter: beyond 64 bits it is counted as the most a 64-bit count holds.
    std::uint64_t errors = LowBytes(log + kMediaErrorsOffset, 8);
    for (unsigned i = 8; i < 16; ++i) {
        if (log[kMediaErrorsOffset + i] != 0) {
            errors = UINT64_MAX;
        }
    }
    return JudgeCount(kNvmeMediaSlot, errors, baseline, verdict);
}

void AcceptCounts(HealthBaseline& baseline)
{
    for (CountBaseline& count : baseline.counts) {
        if (count.known) {
            count.accepted = true;
            count.acceptedAt = count.last;
            count.rising = false;
        }
    }
}
