// The drive verdicts as the verdict report tells them to PELITO and tempquery.
#pragma once

#include "drive_judge.h"
#include "verdict_report.h"

// Record i = drive slot i: present drives with their kind, verdict and worst reason.
VerdictReport MakeVerdictReport(const DriveState& drives, const DriveJudge& judge);
