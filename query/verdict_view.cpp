#include "verdict_view.h"

#include <algorithm>

void ApplyVerdicts(const VerdictReport& verdicts, DriveHealthView (&views)[kReportRecords])
{
    static_assert(kVerdictRecords == kReportRecords, "a verdict per report slot");
    for (std::size_t slot = 0; slot < kReportRecords; ++slot) {
        const VerdictRecord& record = verdicts.drives[slot];
        DriveHealthView view;
        view.known = record.present != 0;
        if (view.known) {
            view.warningTemperature = record.warningTemperature;
            view.temperature = record.temperatureState <= 3 ? static_cast<TemperatureState>(record.temperatureState)
                                                            : TemperatureState::Unknown;
            view.asleep = record.sleeping != 0;
            view.notAnsweringSince = record.notAnsweringSince;
            view.health = record.health <= 3 ? static_cast<HealthState>(record.health) : HealthState::Unknown;
            if (record.reasonCount > 0) {
                HealthReason reason;
                reason.kind = static_cast<HealthReasonKind>(record.reasonKind);
                reason.severity = static_cast<HealthState>(record.reasonSeverity);
                reason.attributeId = record.reasonAttribute;
                reason.from = record.reasonFrom;
                reason.to = record.reasonTo;
                reason.limit = record.reasonLimit;
                char text[160];
                view.reason.assign(text, std::min(FormatHealthReason(reason, text, sizeof text), sizeof text - 1));
            }
        }
        views[slot] = view;
    }
}
