// tempquery --check over several hosts: one state, one status line and the performance
// data of every drive, for a whole office in one monitoring service.
#pragma once

#include "check_status.h"
#include "host_outcome.h"

#include <string>
#include <vector>

struct OfficeCheckRules {
    CheckThresholds thresholds;
    bool downIsCritical = false;  // a host that gave no report is CRITICAL, not UNKNOWN
};

// The worst state of every drive (JudgeDrive) and of the hosts that gave no report
// (UNKNOWN, or CRITICAL when downIsCritical), in the order CRITICAL, WARNING, UNKNOWN,
// OK; UNKNOWN too when no drive anywhere gives a temperature. The status text names up to
// three of the worst drives and up to three silent hosts (saying that --summary lists
// them all where there are more), then the counts; the
// performance data gives 'hosts answered', 'hosts silent' and '<host> drive<N>' for every
// drive (labels made unique where hosts repeat). hosts, outcomes and problems go together:
// a host whose problem is not empty (no answer, a malformed report, ...) is silent.
CheckResult EvaluateOffice(const std::vector<std::string>& hosts, const std::vector<HostOutcome>& outcomes,
                           const std::vector<std::string>& problems, const OfficeCheckRules& rules);
