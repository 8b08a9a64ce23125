// What tempquery reads from a server's verdict reply.
#pragma once

#include "host_outcome.h"
#include "verdict_report.h"

// Each present record's own limit, temperature state, health and worst reason (in the
// health engine's own English words), by slot.
void ApplyVerdicts(const VerdictReport& verdicts, DriveHealthView (&views)[kReportRecords]);
