#include "verdict_records.h"

// The report carries the monitor's numbers; clients (and common/health_words) read them.
static_assert(static_cast<int>(HealthReasonKind::AttributeAtThreshold) == 1 &&
                  static_cast<int>(HealthReasonKind::DriveSaysFailing) == 2 &&
                  static_cast<int>(HealthReasonKind::CountAboveZero) == 3 &&
                  static_cast<int>(HealthReasonKind::CountIncreased) == 4 &&
                  static_cast<int>(HealthReasonKind::NvmeCriticalWarning) == 5 &&
                  static_cast<int>(HealthReasonKind::NvmePercentageUsed) == 6 &&
                  static_cast<int>(HealthReasonKind::NvmeSpareLow) == 7 &&
                  static_cast<int>(HealthReasonKind::CountNotACount) == 8 &&
                  static_cast<int>(HealthReasonKind::SelfTestFailed) == 9,
              "reason numbers on the wire");
static_assert(static_cast<int>(HealthState::Bad) == 3 && static_cast<int>(TemperatureState::Hot) == 2 &&
                  static_cast<int>(TemperatureState::NotAnswering) == 3 &&
                  static_cast<int>(DriveKind::Property) == 2,
              "state numbers on the wire");

VerdictReport MakeVerdictReport(const DriveState& drives, const DriveJudge& judge)
{
    VerdictReport report;
    const unsigned probeCount = drives.probeCount < kMaxDrives ? drives.probeCount : kMaxDrives;
    static_assert(kVerdictRecords == kMaxDrives, "one record per drive slot");
    for (unsigned i = 0; i < probeCount; ++i) {
        const DriveRecord& record = drives.table[i];
        if (record.present == 0) {
            continue;
        }
        const DriveVerdict& verdict = judge.Verdict(i);
        VerdictRecord& out = report.drives[i];
        out.present = 1;
        out.kind = static_cast<std::uint8_t>(record.kind);
        out.temperatureState = static_cast<std::uint8_t>(verdict.temperature);
        out.warningTemperature = verdict.warningTemperature;
        out.health = static_cast<std::uint8_t>(verdict.health);
        out.reasonCount = verdict.reasonCount;
        out.sleeping = record.sleeping != 0 ? 1 : 0;
        out.notAnsweringSince = verdict.notAnsweringSince;
        if (verdict.reasonCount > 0) {
            const HealthReason& reason = verdict.reasons[0];
            out.reasonKind = static_cast<std::uint8_t>(reason.kind);
            out.reasonSeverity = static_cast<std::uint8_t>(reason.severity);
            out.reasonAttribute = reason.attributeId;
            out.reasonLimit = reason.limit;
            out.reasonFrom = reason.from;
            out.reasonTo = reason.to;
        }
    }
    return report;
}
