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
    // Without a warning temperature of the caller's, the server's verdict says what is hot
    // for this drive.
    const bool ownLimit = thresholds.warning == kNoThreshold && health.known && health.warningTemperature > 0;
    if (degrees == 0) {
        judgement.unread = true;
    } else if (thresholds.critical != kNoThreshold && degrees > thresholds.critical) {
        judgement = {CheckState::Critical, false, true, thresholds.critical, false};
    } else if (thresholds.warning != kNoThreshold && degrees > thresholds.warning) {
        judgement = {CheckState::Warning, false, true, thresholds.warning, false};
    } else if (ownLimit && health.temperature == TemperatureState::Hot) {
        judgement = {CheckState::Warning, false, true, health.warningTemperature, false};
    }
    if (health.known && (health.health == HealthState::Caution || health.health == HealthState::Bad)) {
        judgement.unhealthy = true;
        judgement.state =
            WorseState(judgement.state, health.health == HealthState::Bad ? CheckState::Critical : CheckState::Warning);
    }
    return judgement;
}
