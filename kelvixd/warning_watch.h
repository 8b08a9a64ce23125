// KELVIX warns with a balloon when a drive gets too hot or its health changes; kelvixd
// writes a journal line instead, once per change, read from the drive verdicts
// (monitor/health), so a hot drive does not fill the journal every cycle.
#pragma once

#include "drive_judge.h"

#include <cstdio>

class WarningWatch {
public:
    // Logs the drives whose temperature state changed since the last call, and each
    // health change; returns how many drives are hot now.
    unsigned Check(const DriveState& drives, const DriveJudge& judge, const VerdictChanges& changes, std::FILE* log);

private:
    bool hot_[kMaxDrives] = {};
    bool lost_[kMaxDrives] = {};
};
