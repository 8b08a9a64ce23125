#include "drive_judgement.h"

namespace {

int Rank(CheckState state)
{
    switch (state) {
    case CheckState::Ok:
        return 0;
    case CheckState::Unknown:
        return 1;
    case CheckState::Warning:
        return 2;
    case CheckState::Critical:
        break;
    }
    return 3;
}

} // namespace

CheckState WorseState(CheckState a, CheckState b)
{
    return Rank(a) >= Rank(b) ? a : b;
}

DriveJudgement JudgeDrive(const DriveReport& record, const DriveHealthView& health, CheckThresholds thresholds)
{
    DriveJudgement judgement;
    const int degrees = record.current;
    const int warning = thresholds.warning != kNoThreshold
                            ? thresholds.warning
                            : (health.known && health.warningTemperature > 0 ? health.warningTemperature
                                                                            : kNoThreshold);
    if (degrees == 0) {
        judgement.unread = true;
    } else if (thresholds.critical != kNoThreshold && degrees > thresholds.critical) {
        judgement = {CheckState::Critical, false, true, thresholds.critical, false};
    } else if (warning != kNoThreshold && degrees > warning) {
        judgement = {CheckState::Warning, false, true, warning, false};
    }
    if (health.known && (health.health == HealthState::Caution || health.health == HealthState::Bad)) {
        judgement.unhealthy = true;
        judgement.state =
            WorseState(judgement.state, health.health == HealthState::Bad ? CheckState::Critical : CheckState::Warning);
    }
    return judgement;
}
