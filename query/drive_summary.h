// tempquery --summary: what in an office needs attention, and nothing else.
#pragma once

#include "check_status.h"
#include "host_outcome.h"

#include <string>
#include <vector>

// One line per drive that is hot, unhealthy or unread (JudgeDrive), in the order of the
// hosts and slots, and one per host that gave no report (its problem): "<host> drive <N>
// (<model>): <what>"; before a host's lines, one for datagrams dropped because another
// sender than the host sent them (StrayNote). Empty when all is well.
std::string FormatSummary(const std::vector<std::string>& hosts, const std::vector<HostOutcome>& outcomes,
                          const std::vector<std::string>& problems, CheckThresholds thresholds);
