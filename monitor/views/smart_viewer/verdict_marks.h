// Which rows of the S.M.A.R.T. viewer stand behind a drive's verdict: the ATA attributes
// and NVMe health fields its reasons name, each with the worst severity naming it, so the
// viewer can colour them. A good drive marks nothing.
#pragma once

#include "drive_verdict.h"

#include <cstdint>

struct VerdictMarks {
    HealthState attribute[256] = {};  // by ATA attribute id
    HealthState criticalWarning = HealthState::Unknown;
    HealthState availableSpare = HealthState::Unknown;
    HealthState percentageUsed = HealthState::Unknown;
    HealthState mediaErrors = HealthState::Unknown;
};
VerdictMarks MarkVerdict(const DriveVerdict& verdict);

// The mark of the NVMe health-log field at byte `offset` (the field's first byte).
HealthState MarkOfHealthField(const VerdictMarks& marks, unsigned offset);
