// Whether one drive needs attention: the single rule --check and --summary both read.
#pragma once

#include "check_status.h"
#include "host_outcome.h"
#include "query_options.h"
#include "query_protocol.h"

struct DriveJudgement {
    CheckState state = CheckState::Ok;  // OK, WARNING or CRITICAL
    bool unread = false;                // present, but no temperature
    bool hot = false;                   // above a limit
    int limit = kNoThreshold;    // the limit it is above
    bool unhealthy = false;             // the server says caution or bad
};

// A drive hotter than the critical temperature is CRITICAL, hotter than the warning one
// WARNING. Without a warning temperature, a drive its server calls hot (above its own
// limit) is WARNING. Health caution is WARNING, bad CRITICAL.
DriveJudgement JudgeDrive(const DriveReport& record, const DriveHealthView& health, CheckThresholds thresholds);

// The worse of two states in the monitoring-plugins order: CRITICAL, WARNING, UNKNOWN, OK.
CheckState WorseState(CheckState a, CheckState b);
