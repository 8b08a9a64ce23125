// DriveJudge: decides every drive's verdict after each measurement and tells what changed.
// KELVIX and kelvixd each hold one; the tray, balloons, windows, exports, the journal and
// the publishers read its verdicts and its changes, and never judge again.
#pragma once

#include "drive_table.h"
#include "drive_verdict.h"
#include "health_baseline.h"
#include "health_rules.h"
#include "temperature_rule.h"

#include <cstdint>

// One drive's health changed: worse (a worse state, or a count rose again while already
// Caution or Bad) or recovered (a better state). Reported once per change.
struct VerdictChange {
    unsigned driveNumber = 0;
    HealthState from = HealthState::Unknown;
    bool worse = true;
    DriveVerdict verdict;
};

struct VerdictChanges {
    VerdictChange items[kMaxDrives];
    unsigned count = 0;
};

class DriveJudge {
public:
    // `store` keeps baselines across restarts (may be null: kept in memory only).
    explicit DriveJudge(BaselineStore* store) : store_(store) {}

    // After MeasureAll: every present drive's verdict. A drive left asleep, or whose read
    // failed, keeps its last health verdict (nothing new was read); a sleeping drive is
    // not hot (its temperature is old news). An awake drive whose read failed is
    // NotAnswering since the first `now` (seconds since 1970 UTC) of the failures.
    // Returns the health changes.
    VerdictChanges Judge(const DriveState& drives, const WarningLimits& limits, std::int64_t now = 0);

    // The last verdict of drive `number` (a default verdict for no drive).
    const DriveVerdict& Verdict(unsigned number) const;

    // The user has seen drive `number`'s caution: its counts as they are give no caution
    // any more (a further rise does). Takes effect at the next Judge.
    void AcceptCaution(unsigned number);

    // The drives were enumerated again: every baseline is loaded anew at the next Judge.
    void Forget();

private:
    struct Slot {
        bool loaded = false;
        bool hot = false;
        bool accept = false;
        char key[128] = {};
        HealthBaseline baseline;
        char saved[256] = {};
        DriveVerdict verdict;
    };

    void JudgeHealth(const DriveRecord& record, Slot& slot, VerdictChanges& changes, unsigned number);

    BaselineStore* store_;
    Slot slots_[kMaxDrives];
};
