#include "verdict_marks.h"

namespace {

// Byte offsets in the NVMe SMART / Health Information log page.
constexpr unsigned kCriticalWarningOffset = 0;
constexpr unsigned kAvailableSpareOffset = 3;
constexpr unsigned kPercentageUsedOffset = 5;
constexpr unsigned kMediaErrorsOffset = 160;

void Raise(HealthState& mark, HealthState severity)
{
    if (severity > mark) {
        mark = severity;
    }
}

}  // namespace

VerdictMarks MarkVerdict(const DriveVerdict& verdict)
{
    VerdictMarks marks;
    const unsigned count = verdict.reasonCount < kMaxHealthReasons ? verdict.reasonCount : kMaxHealthReasons;
    for (unsigned i = 0; i < count; ++i) {
        const HealthReason& reason = verdict.reasons[i];
        switch (reason.kind) {
        case HealthReasonKind::AttributeAtThreshold:
        case HealthReasonKind::CountAboveZero:
        case HealthReasonKind::CountNotACount:  // Good: a row not judged
            Raise(marks.attribute[reason.attributeId], reason.severity);
            break;
        case HealthReasonKind::CountIncreased:
            // Id 0 is the NVMe drive's media and data integrity errors.
            Raise(reason.attributeId != 0 ? marks.attribute[reason.attributeId] : marks.mediaErrors, reason.severity);
            break;
        case HealthReasonKind::NvmeCriticalWarning:
            Raise(marks.criticalWarning, reason.severity);
            break;
        case HealthReasonKind::NvmePercentageUsed:
            Raise(marks.percentageUsed, reason.severity);
            break;
        case HealthReasonKind::NvmeSpareLow:
            Raise(marks.availableSpare, reason.severity);
            break;
        case HealthReasonKind::DriveSaysFailing:
        case HealthReasonKind::SelfTestFailed:  // the self-test list shows it
        case HealthReasonKind::None:
            break;  // no row of its own
        }
    }
    return marks;
}

HealthState MarkOfHealthField(const VerdictMarks& marks, unsigned offset)
{
    switch (offset) {
    case kCriticalWarningOffset:
        return marks.criticalWarning;
    case kAvailableSpareOffset:
        return marks.availableSpare;
    case kPercentageUsedOffset:
        return marks.percentageUsed;
    case kMediaErrorsOffset:
        return marks.mediaErrors;
    default:
        return HealthState::Unknown;
    }
}
